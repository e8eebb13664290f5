// key_input.h — keys sent to a window with xdotool, as the X server would
// deliver a person's typing.
#pragma once

#include <string>

// A press and release.
void SendKey(unsigned long window, const std::string& key);
void SendKeyDown(unsigned long window, const std::string& key);
void SendKeyUp(unsigned long window, const std::string& key);
