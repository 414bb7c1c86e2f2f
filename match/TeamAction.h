#pragma once
// The game time of a goal, from what the score document holds about the
// running period, and its text in the game history.
#include <string>
#include <string_view>

// Seconds of play at `nowSeconds` (seconds since midnight): the time since
// `gameTime` (the time of day the running period started; a start later
// than now lies on the day before) plus the full length of every earlier
// period (`period` "1" to "4", `length` in whole minutes). Without a running
// period (a period other than "1" to "4", a start that is no time of day)
// the game time is 0; a length that is no whole number from 0 to 999 counts
// the earlier periods as 0 minutes.
int GoalGameSeconds(std::string_view gameTime, std::string_view period, std::string_view length, int nowSeconds);

// "mm:ss", the minutes whole (at least two digits: "05:30", "75:30").
std::string FormatGameTime(int seconds);
