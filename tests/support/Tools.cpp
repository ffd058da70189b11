#include "tests/support/Tools.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>

std::string RunCommand(const std::string& command) {
    std::string out;
    // The command's own redirections (2>&1) win over the group's.
    FILE* pipe = popen(("{ " + command + "\n} 2>/dev/null").c_str(), "r");
    if (!pipe) return out;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    pclose(pipe);
    return out;
}

int RunStatus(const std::string& command) {
    int status = std::system(("(" + command + ") >/dev/null 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<std::string> OutputLines(const std::string& command) {
    std::vector<std::string> lines;
    std::istringstream in(RunCommand(command));
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) lines.push_back(line);
    return lines;
}

bool HaveTool(const std::string& tool) {
    static std::map<std::string, bool> known;
    auto it = known.find(tool);
    if (it == known.end()) it = known.emplace(tool, RunStatus("command -v " + Quoted(tool)) == 0).first;
    return it->second;
}

std::string Quoted(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}
