#include "GridSearch.h"
