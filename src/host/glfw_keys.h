// glfw_keys.h — GLFW key constants to game key codes.
#pragma once

// The game key code of a GLFW key, or 0 for keys the game does not know
// (the event is then dropped).
int TranslateGlfwKey(int glfwKey);
