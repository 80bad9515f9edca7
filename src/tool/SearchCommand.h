#pragma once

// "wexel-tool search ...": argv[0] is "search". Answers the exit status.
int runSearchCommand(int argc, char** argv);
