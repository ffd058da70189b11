// The CUPS queue scripts/test.d/cups.sh sets up for the tests that print
// through CUPS: a cups-pdf printer on a private server, named by
// VARSONA_CUPS_QUEUE, writing its PDF files into VARSONA_CUPS_OUTPUT. Without
// them those tests skip.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

struct TCupsQueue {
    std::string Name;
    std::string OutputFolder;  // with a trailing '/'
    bool Present() const { return !Name.empty() && !OutputFolder.empty(); }
};

inline TCupsQueue CupsQueueFromEnvironment() {
    const char* name = std::getenv("VARSONA_CUPS_QUEUE");
    const char* out = std::getenv("VARSONA_CUPS_OUTPUT");
    TCupsQueue q;
    if (name && out && *name && *out) {
        q.Name = name;
        q.OutputFolder = out;
        if (q.OutputFolder.back() != '/') q.OutputFolder += '/';
    }
    return q;
}

// The PDF files of the queue's output folder, sorted.
inline std::vector<std::string> CupsPdfFiles(const TCupsQueue& queue) {
    std::vector<std::string> files;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(queue.OutputFolder, ec))
        if (e.path().extension() == ".pdf") files.push_back(e.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

// Waits for the queue to write a PDF file that is not among before, until
// it is whole (it ends with %%EOF); empty after timeout.
inline std::string WaitForCupsPdf(const TCupsQueue& queue, const std::vector<std::string>& before,
                                  std::chrono::seconds timeout = std::chrono::seconds(60)) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < end) {
        for (const std::string& f : CupsPdfFiles(queue)) {
            if (std::find(before.begin(), before.end(), f) != before.end()) continue;
            std::ifstream in(f, std::ios::binary | std::ios::ate);
            const std::streamoff size = in.tellg();
            if (size < 16) continue;
            std::string tail(static_cast<size_t>(std::min<std::streamoff>(size, 64)), '\0');
            in.seekg(size - static_cast<std::streamoff>(tail.size()));
            in.read(tail.data(), static_cast<std::streamsize>(tail.size()));
            if (tail.find("%%EOF") != std::string::npos) return f;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return {};
}
