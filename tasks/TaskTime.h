#pragma once
#include <string>

// The local time as the task table stores it: "%Y-%m-%d %H:%M:%S".
std::string CurrentTaskTime();
