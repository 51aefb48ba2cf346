// gatewaypassword: prints the stored (scrambled) form of a database password,
// as the Password item of GatewayConfig.ini's connection string holds it. The
// password is read from standard input, never from the command line, where
// other users could see it; on a terminal it is asked for without echo.
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <string>

#include "config/StoredPassword.h"

namespace {

const char kHelp[] =
    "usage: gatewaypassword [--help]\n"
    "\n"
    "Reads a database password from standard input (its first line; on a terminal\n"
    "it is asked for without echo) and prints its stored form: the scrambled\n"
    "hexadecimal text the Password item of GatewayConfig.ini's connection string\n"
    "holds, for example\n"
    "\n"
    "  [Connection]\n"
    "  Provider=Provider=SQLOLEDB;Data Source=erp;User ID=sa;Password=<stored form>\n"
    "\n"
    "An empty password has a stored form of its own (72 digits). The form is a\n"
    "scrambling, not encryption: keep GatewayConfig.ini readable only by the gateway.\n"
    "\n"
    "  printf '%s' 'abc' | gatewaypassword      prints B0986C\n"
    "\n"
    "Exit status: 0 when the stored form was printed, 1 when the password could not\n"
    "be read, 2 for a wrong command line.\n";

// Turns the terminal's echo off until destroyed (nothing when not a terminal).
class HiddenInput {
 public:
  HiddenInput() {
    if (!isatty(STDIN_FILENO) || tcgetattr(STDIN_FILENO, &saved_) != 0) return;
    termios quiet = saved_;
    quiet.c_lflag &= static_cast<tcflag_t>(~ECHO);
    hidden_ = tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet) == 0;
    std::fputs("Password: ", stderr);
  }
  ~HiddenInput() {
    if (!hidden_) return;
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved_);
    std::fputs("\n", stderr);
  }
  HiddenInput(const HiddenInput&) = delete;
  HiddenInput& operator=(const HiddenInput&) = delete;

 private:
  termios saved_{};
  bool hidden_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
    std::fputs(kHelp, stdout);
    return 0;
  }
  if (argc != 1) {
    std::fprintf(stderr,
                 "gatewaypassword: the password is read from standard input, not from the "
                 "command line\nTry 'gatewaypassword --help' for more information.\n");
    return 2;
  }

  std::string password;
  {
    HiddenInput hidden;
    std::getline(std::cin, password);
  }
  if (std::cin.bad()) {
    std::fputs("gatewaypassword: cannot read the password from standard input\n", stderr);
    return 1;
  }
  if (!password.empty() && password.back() == '\r') password.pop_back();
  std::printf("%s\n", gateway::EncodeSQLSa(password).c_str());
  return std::fflush(stdout) == 0 ? 0 : 1;
}
