// The printers Qt prints to, as printer backends of the printing room.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/printing/Printers.h"

// A printer Qt prints to: a system (CUPS) printer by its name. With an
// output file Qt writes its own PDF instead, on a page set up as given
// (tests and the benchmark use this to check the Qt drawing path).
std::unique_ptr<TPrinterBackend> CreateSystemPrinter(const std::string& name);
std::unique_ptr<TPrinterBackend> CreateQtPdfPrinter(const std::string& name, const std::string& outputFile,
                                                    const TPageSetup& setup);
// The system printers' names; defaultName receives the default's (empty
// when there is none).
std::vector<std::string> SystemPrinterNames(std::string* defaultName = nullptr);
// Makes the system printers the source of the process's printer (the
// application object does it; calling it again is harmless).
void InstallSystemPrinters();
