// Moving timetables between the editor's drop-down texts and the WeekSchedule.
#pragma once

#include <string>

#include "engine/week_schedule.h"
#include "schedule/page_texts.h"

namespace tollvane {

enum class SlotField { Hour, Minute, Sound };

// "mo01ji", "mo01fu", "mo01snd" .. "ak24snd": the page prefix of the timetable, the two-digit
// slot number and the field.
std::string DropDownName(int timetable, int slot, SlotField field);

// Page order of the editor: Mon, Tue, Wed, Thu, Fri, Sat, Sun, common.
inline constexpr int kPageOrder[kTimetableCount] = {2, 3, 4, 5, 6, 7, 1, 8};

// Each field is stored as soon as it converts, so a ConversionError leaves the slots before
// the failing drop-down gathered and the rest untouched.
void GatherTab(WeekSchedule& schedule, const PageTexts& texts, int timetable);
void GatherAllTabs(WeekSchedule& schedule, const PageTexts& texts);

// Writes the values as decimal text, then blanks hour and minute wherever the hour reads "0".
void LoadTab(const WeekSchedule& schedule, PageTexts& texts, int timetable);
void LoadAllTabs(const WeekSchedule& schedule, PageTexts& texts);

}  // namespace tollvane
