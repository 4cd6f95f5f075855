// tesmor: the bedside monitor. Options:
//   --headless        compose the screen in memory and write it as a PNG every few seconds
//   --seconds N       end after N seconds through the normal shutdown
//   --snapshot FILE   write the last frame to FILE at the end; a FILE that is, or leads to, a
//                     record file, a kept copy of one or the settings file ends the start (2)
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/monitorrun.h"

namespace {

void OnSignal(int) { CMonitorRun::RequestStop(); }

void Usage()
{
    std::fprintf(stderr, "usage: tesmor [--headless] [--seconds N] [--snapshot FILE]\n");
}

}  // namespace

int main(int argc, char** argv)
{
    MonitorOptions options;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--headless") {
            options.headless = true;
        } else if (arg == "--seconds" && i + 1 < argc) {
            char* end = nullptr;
            long n = std::strtol(argv[++i], &end, 10);
            if (end == nullptr || *end != 0 || n < 0 || n > 100000000) {
                Usage();
                return 2;
            }
            options.seconds = static_cast<int>(n);
        } else if (arg == "--snapshot" && i + 1 < argc) {
            options.snapshotPath = argv[++i];
        } else {
            Usage();
            return 2;
        }
    }
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    return CMonitorRun(options).Run();
}
