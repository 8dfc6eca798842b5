#!/usr/bin/env python3
"""Writes the seed corpus of every fuzz target into corpus/<target>/. The seeds are in the
repository; run this again only after changing it."""
import pathlib

here = pathlib.Path(__file__).resolve().parent / "corpus"


def put(target, name, data):
    folder = here / target
    folder.mkdir(parents=True, exist_ok=True)
    (folder / name).write_bytes(data if isinstance(data, bytes) else data.encode("latin-1"))


# Schedule files: first byte bit 0 = append, bit 1 = blank pages; then the file.
def schedule(slots, eol="\r\n"):
    lines = []
    for t in [8, 1, 2, 3, 4, 5, 6, 7]:
        for n in range(24):
            h, m, s = slots.get((t, n), (0, 0, 1))
            lines += [str(t), str(h), str(m), str(s)]
    return eol.join(lines) + eol


school = {(t, n): (8 + n // 2, (n % 2) * 30 + 5, n % 10 + 1) for t in range(1, 9) for n in range(10)}
empty = {}
put("schedule_reader", "school_crlf_overwrite", "\x00" + schedule(school))
put("schedule_reader", "school_crlf_append", "\x01" + schedule(school))
put("schedule_reader", "school_lf_blank_pages", "\x02" + schedule(school, "\n"))
put("schedule_reader", "school_cr_append", "\x03" + schedule(school, "\r"))
put("schedule_reader", "reset_schedule", "\x00" + schedule(empty))
put("schedule_reader", "no_final_break", "\x00" + schedule(school).rstrip("\r\n"))
put("schedule_reader", "short_and_foreign",
    "\x01" + "\r\n".join(["8", "8", "30", "3", "9", "1", "2", "3", "0", "7", "45", "2",
                          "1", "12", "0", "10", "1"]) + "\r\n")
put("schedule_reader", "hex_and_signs", "\x00" + "\r\n".join(["$8", "0x0C", " +30", "-0", "x1", "$17", "$3B", "10"]) + "\r\n")
put("schedule_reader", "not_a_number", "\x01" + "8\r\n8\r\nhalf past\r\n3\r\n")
put("schedule_reader", "nul_ends_text", b"\x00" + b"8\r\n7\r\n15\r\n2\r\n\x008\r\n9\r\n0\r\n1\r\n")
put("schedule_reader", "too_many_records",
    "\x00" + "".join("2\r\n%d\r\n%d\r\n4\r\n" % (n % 24, n % 60) for n in range(30)))

# Settings files.
sounds = "".join("Item%d=/home/school/bells/chime%d.mp3\r\n" % (n, n) for n in range(1, 11))
days = "".join("Day%d=%2d/%2d\r\n" % (n, m, d) for n, (m, d) in
               enumerate([(1, 1), (1, 2), (1, 3), (2, 11), (4, 29), (5, 3), (5, 4), (5, 5),
                          (7, 17), (8, 11), (9, 18), (9, 23), (10, 9), (11, 3), (11, 23),
                          (12, 29), (12, 30), (12, 31), (3, 20), (2, 23)], 1))
put("settings_reader", "full_crlf", "[SOUND]\r\n" + sounds + "[HOLIDAY]\r\n" + days)
put("settings_reader", "full_lf_bom", b"\xef\xbb\xbf" + ("[SOUND]\n" + sounds + "[HOLIDAY]\n" + days).replace("\r\n", "\n").encode())
put("settings_reader", "short_lists", "[sound]\r\nItem1 = \"/tmp/a b.wav\"\r\nItem2=-\r\n[Holiday]\r\nDay1= 1/ 1\r\nDay2=-\r\n")
put("settings_reader", "comments_and_foreign",
    "; bells\r\n# more\r\nstray=1\r\n[OTHER]\r\nItem1=x\r\n[SOUND]\r\nItem1=/a.wav\r\nItem1=/dup.wav\r\n[HOLIDAY]\r\nDay1=5/5\r\n[SOUND]\r\nItem2=/late.wav\r\n")
put("settings_reader", "bad_holiday", "[HOLIDAY]\r\nDay1=12/24\r\nDay2=May/5\r\nDay3=6\r\nDay4=7/\r\n")
put("settings_reader", "hex_holiday", "[HOLIDAY]\nDay1=$C/$1F\nDay2=0x1/x2\n")
put("settings_reader", "long_value", "[SOUND]\r\nItem1=" + "d" * 2100 + "\r\n")
put("settings_reader", "empty", "")
put("settings_reader", "unterminated", "[SOUND")


# Report descriptors of the boards and of common HID devices.
def vendor(inp, out):
    return bytes([0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x15, 0x00, 0x26, 0xFF, 0x00,
                  0x75, 0x08, 0x95, inp, 0x09, 0x01, 0x81, 0x02, 0x95, out, 0x09, 0x01,
                  0x91, 0x02, 0xC0])


put("report_descriptor", "usbio_8", vendor(8, 8))
put("report_descriptor", "usbio2_64", vendor(64, 64))
put("report_descriptor", "numbered", bytes([0x85, 0x01]) + vendor(8, 8) + bytes([0x85, 0x02, 0x95, 0x20, 0xB1, 0x02]))
put("report_descriptor", "boot_keyboard", bytes.fromhex(
    "05010906a101050719e029e71500250175019508810295017508810395057501050819012905910295017503"
    "91039506750815002565050719002965810 0c0".replace(" ", "")))
put("report_descriptor", "mouse", bytes.fromhex(
    "05010902a1010901a100050919012903150025019503750181029501750581030501093009311581257f750895028106c0c0"))
put("report_descriptor", "push_pop", bytes([0x75, 0x08, 0x95, 0x04, 0xA4, 0x95, 0x10, 0x81, 0x02, 0xB4, 0x91, 0x02]))
put("report_descriptor", "long_item", bytes([0xFE, 0x03, 0x10, 1, 2, 3]) + vendor(8, 8))
put("report_descriptor", "cut_short", vendor(8, 8)[:-3] + bytes([0x27, 0xFF]))


# USB-IO calls: see usbio_exports.cpp for how the bytes are read.
def board(pick=0, descriptor=0, failure=5):
    return bytes([pick, descriptor, 0, 1, 1, failure])


answer = bytes([0] + list(range(1, 65)))
ok = answer + bytes([9, 1])  # the board echoes and answers
usbio = {
    "one_board_short": bytes([1]) + board() + bytes([0, 9, 5, 1]) + ok + bytes([11, 1, 7, 1, 3, 1]) + ok
    + bytes([7, 0, 1]) + ok + bytes([6, 0, 1, 200, 0, 0, 0, 200]) + ok,
    "usbio2_long": bytes([1]) + board(15, 1) + bytes([0, 13, 0, 1]) + bytes(7) + ok
    + bytes([14, 4, 1]) + bytes(range(15)) + ok + bytes([15, 6, 1]) + bytes(60) + ok
    + bytes([18, 1]) + ok + ok,
    "two_boards_select": bytes([2]) + board(0) + board(16, 1) + bytes([0, 3, 1, 1, 4, 1, 5, 16, 20, 4, 60, 0, 22, 4, 0, 8, 20])
    + bytes([21, 0, 19, 1]) + ok + ok,
    "permission_denied": bytes([2]) + board(3, 0, 0) + board(4, 0, 1) + bytes([0, 22, 3, 1, 100, 90, 0, 22, 3, 0, 100, 5, 7])
    + bytes([17]),
    "silent_and_junk": bytes([1]) + board() + bytes([0, 12, 1, 1, 1, 1, 1, 1, 1]) + answer + bytes([0])
    + bytes([12, 1, 1, 1, 1, 1, 1, 1]) + answer + bytes([4]) + bytes([12, 1, 1, 1, 1, 1, 1, 1]) + answer + bytes([1]),
    "unplugged": bytes([1]) + board() + bytes([0, 9, 1, 1]) + answer + bytes([3]) + bytes([9, 1, 1, 0, 24, 0, 0]),
    "no_hid_library": bytes([1]) + board() + bytes([25, 0, 0, 0, 25, 1, 1, 0, 2, 0]),
}
for name, data in usbio.items():
    put("usbio_exports", name, data)

# Numbers as the editor, schedule files and holidays carry them.
for i, text in enumerate(["0", "7", "23", "59", "-1", "+12", " 30", "\t8", "2147483647", "-2147483648",
                          "2147483648", "$7FFFFFFF", "$80000000", "-$80000000", "0x1F", "x1f", "0X", "$",
                          "", "- 1", "1 ", "08", "１２"]):
    put("text_number", "n%02d" % i, text.encode("utf-8"))

# Holiday CSV files: the Cabinet Office's, in Shift_JIS and UTF-8, and the shapes around them.
header = "国民の祝日・休日月日,国民の祝日・休日名称\r\n"
rows = "2026/1/1,元日\r\n2026/1/12,成人の日\r\n2026/2/11,建国記念の日\r\n"
put("holiday_csv", "cabinet_office_sjis", (header + rows).encode("cp932"))
put("holiday_csv", "utf8_bom_lf", b"\xef\xbb\xbf" + (header + rows).replace("\r\n", "\n").encode())
put("holiday_csv", "quoted_no_header", "\"2026/5/3\",\"憲法記念日\"\n2026/5/4,みどりの日\n".encode())
put("holiday_csv", "impossible_first_line", "2026/2/30,無い日\n2026/3/1,x\n".encode())
put("holiday_csv", "newest_first_doubled", "2026/3/2,b\n2026/3/1,a\n2026/3/2,c\n\n".encode())
put("holiday_csv", "no_name", "日付,名称\n2026/1/1\n".encode())


# iCalendar files: all-day events with rules, dates, exceptions, moved instances, skipped
# components, and the hostile shapes the reader refuses.
def ics(body):
    return ("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//seed//EN\r\n" + body + "END:VCALENDAR\r\n").encode()


def ev(lines, summary="行事"):
    return "BEGIN:VEVENT\r\nUID:s\r\n" + lines + "SUMMARY:" + summary + "\r\nEND:VEVENT\r\n"


put("icalendar", "yearly_exdate_moved", ics(
    ev("DTSTART;VALUE=DATE:20261102\r\nRRULE:FREQ=YEARLY\r\nEXDATE;VALUE=DATE:20271102\r\n")
    + "BEGIN:VEVENT\r\nUID:s\r\nRECURRENCE-ID;VALUE=DATE:20281102\r\nDTSTART;VALUE=DATE:20281106\r\n"
      "SUMMARY:振替\r\nEND:VEVENT\r\n"))
put("icalendar", "span_folded_summary", ics(
    "BEGIN:VEVENT\r\nDTSTART;VALUE=DATE:20261228\r\nDTEND;VALUE=DATE:20270104\r\nSUMMARY:年末\r\n 年始\r\nEND:VEVENT\r\n"))
put("icalendar", "two_calendars_rdate", ics(ev("DTSTART;VALUE=DATE:20260601\r\nRDATE;VALUE=DATE:20260701,20260801\r\n"))
    + ics(ev("DTSTART;VALUE=DATE:20260602\r\nDURATION:P3D\r\n")))
put("icalendar", "timezone_alarm_timed", ics(
    "BEGIN:VTIMEZONE\r\nTZID:Asia/Tokyo\r\nBEGIN:STANDARD\r\nTZOFFSETFROM:+0900\r\nTZOFFSETTO:+0900\r\n"
    "DTSTART:19700101T000000\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\n"
    + ev("DTSTART;TZID=Asia/Tokyo:20260901T100000\r\n")
    + ev("DTSTART;VALUE=DATE:20261010\r\nBEGIN:VALARM\r\nACTION:DISPLAY\r\nTRIGGER:-PT15M\r\nEND:VALARM\r\n")))
put("icalendar", "monthly_byday_setpos", ics(
    ev("DTSTART;VALUE=DATE:20260413\r\nRRULE:FREQ=MONTHLY;BYDAY=MO,TU;BYSETPOS=-1;UNTIL=20300101\r\n")
    + ev("DTSTART;VALUE=DATE:20260101\r\nRRULE:FREQ=MONTHLY;BYMONTH=2;BYMONTHDAY=30\r\n")))
put("icalendar", "finer_than_a_day", ics(ev("DTSTART;VALUE=DATE:20260101\r\nRRULE:FREQ=SECONDLY;BYMONTH=2;BYMONTHDAY=30\r\n")))
put("icalendar", "year_one", ics(ev("DTSTART;VALUE=DATE:00010101\r\nRRULE:FREQ=YEARLY\r\n")))
put("icalendar", "daily_long_events", ics(
    ev("DTSTART;VALUE=DATE:20260101\r\nDTEND;VALUE=DATE:20270102\r\nRRULE:FREQ=DAILY;COUNT=40\r\n") * 3))
put("icalendar", "nested", ics("BEGIN:X\r\n" * 6 + "END:X\r\n" * 6))
put("icalendar", "cancelled_and_cut", ics(ev("DTSTART;VALUE=DATE:20261111\r\nSTATUS:CANCELLED\r\n"))[:-20])

# Imported-days files as written, and as hands leave them.
put("days_file", "as_written", "# Tollvane imported days: YYYY/MM/DD name\n2026/06/01 開校記念日\n2026/10/02 県民の日\n".encode())
put("days_file", "hand_edited", "2026/10/2 b\r\n\n# note\n2026/6/1\ta\n2026/10/02 c\nJune 2 holiday\n2026/2/30 x\n".encode())

# Plan files: what the program writes, hand edits, and lines that must be refused.
put("plan_file", "written", "# Tollvane 日課表 (UTF-8)\n\n[短縮日課]\n8:30 1\n9:15 2\n\n[ノーチャイム]\n".encode())
put("plan_file", "hand_crlf_bom", "\ufeff# 北小\r\n [ テスト日課 ] \r\n 9:00  1\r\n9:5\t2\r\n".encode())
put("plan_file", "bell_first", b"8:30 1\n[a]\n")
put("plan_file", "midnight_and_sound", b"[a]\n0:00 1\n23:59 10\n8:30 11\n")
put("plan_file", "doubled_name", "[行事]\n[行事 ]\n".encode())
put("plan_file", "full", ("[多い]\n" + "".join(f"{7 + i // 4}:{i % 4 * 15 + 1:02d} {1 + i % 10}\n" for i in range(49))).encode())

# Assignment CSVs: UTF-8 with a header, Shift_JIS, ranges, and a bad line.
put("plan_csv", "utf8_header", "日付,日課\r\n2027/2/15-2027/2/17,短縮日課\r\n\"2027/03/01\",\"ノーチャイム\"\r\n".encode())
put("plan_csv", "shift_jis", "日付,日課\r\n2027/2/15,短縮日課\r\n".encode("cp932"))
put("plan_csv", "unknown_plan", "2027/2/15,運動会\n".encode())
put("plan_csv", "reversed_range", "2027/2/15,短縮日課\n2027/2/17-2027/2/15,短縮日課\n".encode())
