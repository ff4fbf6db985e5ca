// A stand-in build of the desktop tool for the updater's tests: it stays up for the time it was
// built with, leaves the file "ran-<tag>" in its own directory, so a test sees which build ran
// and when it ended, then exits with the code it was built with.
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>
#include <unistd.h>

int main() {
    const auto self = std::filesystem::read_symlink("/proc/self/exe");
    std::this_thread::sleep_for(std::chrono::milliseconds(ZORLITH_PROBE_LINGER_MS));
    std::ofstream(self.parent_path() / ("ran-" ZORLITH_PROBE_TAG)) << ::getpid() << "\n";
    return ZORLITH_PROBE_EXIT;
}
