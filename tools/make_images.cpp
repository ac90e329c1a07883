// Writes the digit images and the grid-element images that the camera game
// loads at set-up. Usage: make_images [data folder]   (default: data)
#include "Sheet.h"

#include <opencv2/imgcodecs.hpp>

#include <cstdio>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
    const std::string data = argc > 1 ? argv[1] : "data";
    std::error_code error;
    std::filesystem::create_directories(data + "/imgs/digit", error);
    std::filesystem::create_directories(data + "/imgs/11x11", error);
    int written = 0;
    for (int d = 0; d <= 9; d++) {
        const std::string path = data + "/imgs/digit/" + std::to_string(d) + ".bmp";
        written += cv::imwrite(path, drawDigitImage(d));
    }
    for (const char* name : kGridElementNames)
        written += cv::imwrite(data + "/imgs/11x11/" + name, drawGridElement(name));
    if (written != 10 + kGridElementCount) {
        std::printf("could not write the images into %s/imgs\n", data.c_str());
        return 1;
    }
    std::printf("wrote %d images into %s/imgs\n", written, data.c_str());
    return 0;
}
