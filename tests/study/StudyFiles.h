// Files of the study tests, in a scratch folder of the build, and a small test series.
#pragma once

#include "../TextHelpers.h"
#include "Agenda.h"
#include "TestSettings.h"

#include <fstream>
#include <string>
#include <sys/stat.h>
#include <vector>

inline std::string scratchPath(const std::string& name) {
    const std::string folder = std::string(TABRELO_BUILD) + "/study-test-files";
    mkdir(folder.c_str(), 0777);
    return folder + "/" + name;
}

inline std::string writeScratch(const std::string& name, const std::string& text) {
    const std::string path = scratchPath(name);
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

// Puzzles {12, 80}, permutations {0, 5}, colored {1, 0}, one value for the rest.
inline TestSettings seriesSettings() {
    TestSettings settings;
    for (int grid : {12, 80}) settings.puzzles.add(grid);
    for (int permutation : {0, 5}) settings.permutations.add(permutation);
    for (int colored : {1, 0}) settings.colored.add(colored);
    for (auto list : {&settings.AR, &settings.overviews}) list->add(0);
    for (auto list : {&settings.in3D, &settings.repulsive, &settings.attractive, &settings.markup,
                      &settings.evaluate})
        list->add(1);
    return settings;
}

// The order a player meets the games in.
inline std::vector<int> walk(Agenda agenda) {
    std::vector<int> order;
    for (int i = agenda.length > 0 ? agenda.currentItem() : -1; i >= 0; i = agenda.nextItem()) {
        order.push_back(i);
        agenda.record(1000);
        if (order.size() > 60) break;
    }
    return order;
}
