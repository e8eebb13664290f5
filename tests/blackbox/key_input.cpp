// key_input.cpp — see key_input.h.
#include "blackbox/key_input.h"

#include <vector>

#include "support/child_process.h"

namespace {

void Xdotool(const std::string& command, unsigned long window, const std::string& key) {
    RunProgram({"xdotool", command, "--window", std::to_string(window), key}, 20);
}

}  // namespace

void SendKey(unsigned long window, const std::string& key) { Xdotool("key", window, key); }
void SendKeyDown(unsigned long window, const std::string& key) { Xdotool("keydown", window, key); }
void SendKeyUp(unsigned long window, const std::string& key) { Xdotool("keyup", window, key); }
