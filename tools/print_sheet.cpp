// Writes the printable sheet of a puzzle and the page of digit tiles as PNG
// files, A4 at 300 dpi. Run in the data folder:
//   print_sheet <puzzle number> [permutation 0..12] [output folder]
#include "PuzzleFile.h"
#include "Sheet.h"

#include <opencv2/imgcodecs.hpp>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

unsigned int crc32(const unsigned char* data, size_t size) {
    unsigned int crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; i++) {
        crc ^= data[i];
        for (int k = 0; k < 8; k++) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void putWord(std::vector<unsigned char>& out, unsigned int v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back((unsigned char)(v >> shift));
}

// A PNG with its physical size set, so that it prints as A4: a pHYs chunk of
// 11811 pixels per metre (300 dpi) right after the header chunk.
bool writePrintable(const std::string& path, const cv::Mat& image) {
    std::vector<unsigned char> png;
    if (!cv::imencode(".png", image, png) || png.size() < 33) return false;
    std::vector<unsigned char> chunk;
    putWord(chunk, 9);
    const size_t typeAt = chunk.size();
    for (char c : std::string("pHYs")) chunk.push_back((unsigned char)c);
    putWord(chunk, 11811);
    putWord(chunk, 11811);
    chunk.push_back(1);  // unit: metre
    putWord(chunk, crc32(chunk.data() + typeAt, chunk.size() - typeAt));
    png.insert(png.begin() + 33, chunk.begin(), chunk.end());  // signature 8 + IHDR 25
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(png.data(), 1, png.size(), f) == png.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::printf("usage: print_sheet <puzzle number> [permutation 0..12] [output folder]\n");
        return 1;
    }
    const int number = std::atoi(argv[1]);
    const int permutation = argc > 2 ? std::atoi(argv[2]) : 0;
    const std::string folder = argc > 3 ? argv[3] : ".";
    char path[80];
    std::snprintf(path, sizeof path, "sudoku-grids/g%d.txt", number);
    Sudoku board;
    if (!readPuzzle(board, path)) {
        std::printf("cannot read %s\n", path);
        return 1;
    }
    if (!board.setPermutationNumber(permutation)) {
        std::printf("the permutation must lie in 0..%d\n", Sudoku::kPermutationCount - 1);
        return 1;
    }
    permute(board);
    char name[80];
    std::snprintf(name, sizeof name, "/sheet-g%d-p%d.png", number, permutation);
    const std::string sheet = folder + name, tiles = folder + "/tiles.png";
    if (!writePrintable(sheet, drawPuzzleSheet(board, number)) ||
        !writePrintable(tiles, drawTileSheet())) {
        std::printf("cannot write into %s\n", folder.c_str());
        return 1;
    }
    std::printf("wrote %s and %s (A4, 300 dpi)\n", sheet.c_str(), tiles.c_str());
    return 0;
}
