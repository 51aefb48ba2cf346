#include "config/ErrorReport.h"

#include <cstdio>
#include <string>

#include "config/AlertLog.h"
#include "config/ClassName.h"
#include "config/Errors.h"
#include "text/TextCase.h"

namespace gateway {

namespace {

// "%.2d": at least two digits.
std::string TwoDigits(int number) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%.2d", number);
  return buffer;
}

std::string DetailLine(std::string_view kind, int number, int code, std::string_view message) {
  std::string line(kind);
  line += " Error " + TwoDigits(number) + ": Code: " + std::to_string(code) + ", Message: ";
  line += message;
  return line;
}

}  // namespace

void WriteErrorReport(const std::exception* e, std::string_view title,
                      std::string_view programmer_message) noexcept {
  try {
    const std::string hyphens(34, '-');
    std::string header = hyphens;
    if (!Trim(title).empty()) {
      header += ' ';
      header += title;
      header += " on ";
    }
    header += hyphens;
    WriteGeneratorAlert(header);

    if (e != nullptr) {
      WriteGeneratorAlert("讯息信息:");
      int count = 0;
      if (const auto* db = dynamic_cast<const EDatabaseError*>(e)) {
        for (const DatabaseErrorEntry& entry : db->Entries()) {
          ++count;
          WriteGeneratorAlert(DetailLine("EDBEngineError", count, entry.Code, entry.Message));
        }
      } else if (const auto* os = dynamic_cast<const EOSError*>(e)) {
        count = 1;
        WriteGeneratorAlert(DetailLine("EWin32Error", count, os->ErrorCode(), os->Message()));
      } else if (const auto* io = dynamic_cast<const EInOutError*>(e)) {
        count = 1;
        WriteGeneratorAlert(DetailLine("EInOutError", count, io->ErrorCode(), io->Message()));
      } else {
        count = 1;
        WriteGeneratorAlert("Exception is " + ClassNameOf(*e) + "\r\nMessage " + TwoDigits(count) +
                            ": " + e->what());
      }
      WriteGeneratorAlert("ErrorMessage Count: " + std::to_string(count));
    }

    if (!Trim(programmer_message).empty()) {
      std::string line = "Programer Message: ";
      line += programmer_message;
      WriteGeneratorAlert(line);
    }
  } catch (...) {
  }
}

}  // namespace gateway
