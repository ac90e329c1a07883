// The console prompts of start-up and of a free new game.
#pragma once

#include "SessionSettings.h"

#include <cstdio>

// Reads one line of at most size - 1 characters; a longer line leaves its
// rest in the input. Returns the length, or -1 at the end of input with
// nothing read (the caller keeps its default).
int readPromptLine(FILE* in, char* line, int size);

void askUserName(SessionSettings& session, FILE* in, FILE* out);
void askTestName(SessionSettings& session, FILE* in, FILE* out);
void askGridNumber(SessionSettings& session, FILE* in, FILE* out);
// The default is always 0, whatever the current permutation.
void askPermutation(SessionSettings& session, FILE* in, FILE* out);
