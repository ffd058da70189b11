// Running the outside tools the oracle tests check against, and skipping a
// test when its tool is not installed.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

// The standard output of a shell command (its errors are discarded unless
// it redirects them itself); empty when it cannot run.
std::string RunCommand(const std::string& command);
// The exit status of a shell command, its output discarded.
int RunStatus(const std::string& command);
// The command's output split into its non-empty lines.
std::vector<std::string> OutputLines(const std::string& command);
// True when tool is on the PATH (asked once per tool).
bool HaveTool(const std::string& tool);
// s quoted for the shell.
std::string Quoted(const std::string& s);

// Skips the running test when tool is not installed.
#define SKIP_WITHOUT_TOOL(tool) \
    if (!HaveTool(tool)) GTEST_SKIP() << (tool) << " is not installed"
