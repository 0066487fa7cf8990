// Runs the file-operation table through the shared probe harness.
#include "files_probe.h"
#include "probe_main.h"

int main(int argc, char** argv) { return probe_harness::runProbeMain(argc, argv, "file", &files_probe::runFileCases); }
