// Writes the oracle's table as "YYYY/MM/DD<TAB>name" lines for the C++ test to read.
const holidays = require('@holiday-jp/holiday_jp/lib/holidays.js');
const lines = Object.keys(holidays).sort().map(
    (date) => date.replace(/-/g, '/') + '\t' + holidays[date].name);
process.stdout.write(lines.join('\n') + '\n');
