#include "gatewayhost/HostRun.h"

#include <csignal>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <system_error>
#include <utility>
#include <vector>

#include "gatewayhost/HostDryRun.h"
#include "gatewayhost/HostEncoding.h"
#include "gatewayhost/HostFiles.h"
#include "gatewayhost/HostHandOver.h"
#include "gatewayhost/HostModule.h"
#include "gatewayhost/HostReport.h"

namespace gateway::host {

namespace {

// Runs one step and turns its failure into the host's own exception, with
// `context` in front of the message, so that the one line the host prints says
// which step and which file failed. The exception a module raised is ended
// here, while the module that made it (and may hold its code) is still loaded.
template <class Step>
auto InContext(const std::string& context, Step&& step) -> decltype(step()) {
  const std::string prefix = context.empty() ? std::string() : context + ": ";
  try {
    return step();
  } catch (const Exception& error) {
    std::string message = prefix + error.Message();
    if (error.HelpContext() != 0) message += " (code " + std::to_string(error.HelpContext()) + ")";
    throw std::runtime_error(message);
  } catch (const std::exception& error) {
    throw std::runtime_error(prefix + error.what());
  } catch (...) {
    throw std::runtime_error(prefix +
                             "the module raised a failure that is not an exception the host knows");
  }
}

std::string InputName(const std::string& what, const std::string& path) {
  return path == "-" ? what + " from standard input" : what + " '" + path + "'";
}

// The input file's bytes as UTF-8 text.
std::string ReadText(const std::string& path, const std::string& what) {
  const std::string bytes = ReadInput(path, what);
  return InContext(InputName(what, path), [&] { return DecodeRequestBytes(bytes); });
}

// Makes the business object and runs every request through the chosen
// operator; the business object ends (FreeBusiness) when this returns or fails.
// Returns false when a response reports a failure.
bool RunRequests(Module& module, const HostOptions& options, const std::string& init,
                 const std::vector<std::string>& requests) {
  Business business = InContext("GetOperaters", [&] { return module.NewBusiness(); });
  InContext("Initialize", [&] { business->Initialize(init); });
  IOperater& operater = PickOperater(*business, options.operater);
  const std::string name = InContext("operator", [&] { return operater.GetName(); });
  IPool* input = InContext(name, [&] { return operater.GetInputPool(); });
  IPool* output = InContext(name, [&] { return operater.GetOutputPool(); });
  if (input == nullptr || output == nullptr)
    throw std::runtime_error("operator " + name + " has no input or output pool");

  bool succeeded = true;
  // With the confirm step, the orders of a response are handed over only
  // once the response is stored (see Deliver below).
  HandOverStep hand_over(operater);
  if (options.dry_run && !hand_over.Offered()) {
    // Without the confirm step the host could not stop a hand-over: a dry
    // run must never mark what it shows.
    throw std::runtime_error("--dry-run: the operator " + name +
                             " offers no confirm step (IHandOver) through which its hand-over "
                             "could be abandoned, so no request was run; run it without "
                             "--dry-run");
  }
  for (size_t i = 0; i < requests.size(); ++i) {
    // Made before the request runs: an output that cannot be written is
    // found before "GetData" marks the orders it returns as handed over.
    std::unique_ptr<ResponseTarget> target;
    if (!options.output_dir.empty()) {
      target = std::make_unique<ResponseTarget>(ResponsePath(options.output_dir, i + 1));
    } else if (!options.output.empty()) {
      target = std::make_unique<ResponseTarget>(options.output);
    } else {
      target = std::make_unique<ResponseTarget>();
    }
    const std::string context = InputName("request", options.requests[i]);
    std::string xml;
    try {
      const std::string response = InContext(context, [&] {
        input->SetXML(requests[i]);
        operater.Execute();
        xml = output->GetXML();
        if (options.dry_run) {
          // Rolled back as soon as the response has been read: the text
          // already read stays as it is, and the database's lock is not held
          // while the response is written.
          hand_over.Abandon();
          xml = MarkDryRun(xml);
        }
        return EncodeResponse(xml, options.encoding);
      });
      target->Write(response);
    } catch (...) {
      hand_over.Abandon();  // a response that is not stored hands nothing over
      throw;
    }
    // Stored and on disk: now the hand-over is committed, then the response
    // takes its place. A failed commit removes the stored response again.
    if (!options.dry_run)
      InContext(context + ": the response was not delivered", [&] { hand_over.Confirm(); });
    target->Deliver();
    if (!ReportResponse({std::move(xml), requests[i], context, target->Name()}, options))
      succeeded = false;
  }
  return succeeded;
}

}  // namespace

IOperater& PickOperater(IBusiness& business, const OperaterChoice& choice) {
  IOperaterList* list = business.GetOperaterList();
  if (list == nullptr) throw std::runtime_error("the business object has no operator list");
  const int32_t count = list->GetCount();
  IOperater* operater = nullptr;
  if (choice.index) {
    if (*choice.index < count) operater = list->GetItem(*choice.index);
  } else {
    operater = list->FindOperater(choice.name);
  }
  if (operater != nullptr) return *operater;

  std::string names;
  for (int32_t i = 0; i < count; ++i) {
    IOperater* item = list->GetItem(i);
    names += (i == 0 ? "" : ", ") + std::to_string(i) + " " + (item ? item->GetName() : "?");
  }
  const std::string wanted =
      choice.index ? "index " + std::to_string(*choice.index) : "named '" + choice.name + "'";
  throw std::runtime_error("the business object has no operator " + wanted +
                           " (operators: " + (names.empty() ? "none" : names) + ")");
}

std::string ResponsePath(const std::string& directory, size_t number) {
  return (std::filesystem::path(directory) / ("response-" + std::to_string(number) + ".xml"))
      .string();
}

bool RunHost(const HostOptions& options) {
  // A response that cannot be written (a closed pipe, a file size limit) is a
  // failure to report and abandon, not a signal that ends the host.
  std::signal(SIGPIPE, SIG_IGN);
  std::signal(SIGXFSZ, SIG_IGN);

  // Every input is read before the module is loaded: a missing or unreadable
  // file stops the run before any request has run.
  std::string init;
  if (options.init_file) {
    init = ReadText(*options.init_file, "init file");
  } else if (options.init_text) {
    init = InContext("--init text", [&] { return DecodeRequestBytes(*options.init_text); });
  }
  std::vector<std::string> requests;
  for (const std::string& path : options.requests) {
    requests.push_back(ReadText(path, "request"));
    // The module would read an empty text as a request without conditions,
    // which hands over every order: an empty file is far likelier a request
    // that went missing on its way here.
    if (requests.back().empty())
      throw std::runtime_error(InputName("request", path) +
                               " is empty: it holds no request, so nothing was run");
  }

  if (!options.output_dir.empty()) {
    std::error_code error;
    std::filesystem::create_directories(options.output_dir, error);
    if (error)
      throw std::runtime_error("cannot create output folder '" + options.output_dir +
                               "': " + error.message());
  }

  Module module(options.library);
  return InContext("", [&] { return RunRequests(module, options, init, requests); });
}

}  // namespace gateway::host
