#include "GridVision.h"
