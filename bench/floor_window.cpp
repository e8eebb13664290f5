// floor_window.cpp — the cheapest program that does what the game's loop
// must do, as the floor the game's CPU and memory are read against: a
// 960 × 540 GLFW window with the game's framebuffer bits and swap interval
// that clears, swaps and sleeps to the next 1/60 s tick, and (with
// "openal") one OpenAL source looping a one-second tone on the device the
// environment configures. It runs until killed; bench.sh measures it from
// outside as it does the game.
#define GLFW_INCLUDE_NONE
#include <AL/al.h>
#include <AL/alc.h>
#include <GL/gl.h>
#include <GLFW/glfw3.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numbers>
#include <thread>
#include <vector>

namespace {

struct Sound {
    ALCdevice* device = nullptr;
    ALCcontext* context = nullptr;
    ALuint buffer = 0, source = 0;

    bool Start() {
        device = alcOpenDevice(nullptr);
        if (!device) return false;
        context = alcCreateContext(device, nullptr);
        if (!context || !alcMakeContextCurrent(context)) return false;
        constexpr int kRate = 44100;
        std::vector<short> tone(kRate * 2);
        for (int i = 0; i < kRate; ++i) {
            tone[std::size_t(i) * 2] = tone[std::size_t(i) * 2 + 1] =
                static_cast<short>(6000 * std::sin(2 * std::numbers::pi * 440 * i / kRate));
        }
        alGenBuffers(1, &buffer);
        alBufferData(buffer, AL_FORMAT_STEREO16, tone.data(), ALsizei(tone.size() * sizeof(short)), kRate);
        alGenSources(1, &source);
        alSourcei(source, AL_BUFFER, ALint(buffer));
        alSourcei(source, AL_LOOPING, AL_TRUE);
        alSourcePlay(source);
        return alGetError() == AL_NO_ERROR;
    }
};

}  // namespace

int main(int argc, char** argv) {
    const bool withSound = argc > 1 && std::strcmp(argv[1], "openal") == 0;
    if (!glfwInit()) {
        std::fprintf(stderr, "floor_window: no display\n");
        return 1;
    }
    glfwWindowHint(GLFW_RED_BITS, 8);
    glfwWindowHint(GLFW_GREEN_BITS, 8);
    glfwWindowHint(GLFW_BLUE_BITS, 8);
    glfwWindowHint(GLFW_ALPHA_BITS, 0);
    glfwWindowHint(GLFW_DEPTH_BITS, 32);
    glfwWindowHint(GLFW_STENCIL_BITS, 0);
    GLFWwindow* window = glfwCreateWindow(960, 540, withSound ? "Orbel floor openal" : "Orbel floor", nullptr, nullptr);
    if (!window) {
        std::fprintf(stderr, "floor_window: no OpenGL window\n");
        return 1;
    }
    glfwMakeContextCurrent(window);
    glfwSwapInterval(1);
    Sound sound;
    if (withSound && !sound.Start()) {
        std::fprintf(stderr, "floor_window: no OpenAL device\n");
        return 1;
    }
    using Clock = std::chrono::steady_clock;
    const auto period = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / 60));
    auto next = Clock::now();
    while (!glfwWindowShouldClose(window)) {
        glClearColor(0.1f, 0.1f, 0.2f, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glfwSwapBuffers(window);
        next += period;
        const auto now = Clock::now();
        if (next > now) {
            std::this_thread::sleep_for(next - now);
        } else {
            next = now;
        }
        glfwPollEvents();
    }
    glfwTerminate();
    return 0;
}
