// image_output.h — writes generated pictures: textures go to the data folder
// scrambled under their "imx" name, plain images (the default font strip) as
// PNG; every picture also goes to the preview folder as a PNG and is kept for
// the contact sheet.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "datagen/common/canvas.h"

namespace datagen {

// "door.png" -> "door.imx" (the game's scrambled name for an image).
std::string ScrambledName(const std::string& pngName);

struct WrittenImage {
    std::string name;  // the name the game asks for, e.g. "door.png"
    Canvas canvas;
    int frameWidth = 0, frameHeight = 0;  // 0: one picture
};

class ImageOutput {
public:
    ImageOutput(std::filesystem::path data, std::filesystem::path preview)
        : data_(std::move(data)), preview_(std::move(preview)) {}

    // A texture, stored scrambled. Frame size 0 means a single picture.
    void Texture(const std::string& pngName, const Canvas& canvas, int frameWidth = 0, int frameHeight = 0);
    // An image the game reads plain.
    void Plain(const std::string& pngName, const Canvas& canvas, int frameWidth = 0, int frameHeight = 0);
    // A picture for review only (preview folder).
    void Preview(const std::string& pngName, const Canvas& canvas);
    // Any text file in the data folder (font descriptions).
    void DataText(const std::string& name, const std::string& text);

    const std::vector<WrittenImage>& Written() const { return written_; }
    // A picture written earlier (an empty canvas when there is none), for
    // pictures composed from others. Valid until the next picture is written.
    const Canvas& Find(const std::string& pngName) const;
    bool Ok() const { return ok_; }

private:
    void WriteFile(const std::filesystem::path& path, const std::string& bytes);
    std::filesystem::path data_, preview_;
    std::vector<WrittenImage> written_;
    bool ok_ = true;
};

}  // namespace datagen
