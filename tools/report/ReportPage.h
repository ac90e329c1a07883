// The report of a series as one self-contained HTML page: inline CSS and
// SVG charts, no scripts, nothing fetched from elsewhere.
#pragma once

#include "StudyData.h"

#include <string>

std::string reportPage(const StudyData& data);
