// Every failure that leaves the module for its host is a gateway::Exception:
// RunAtBoundary runs a call and turns any other exception into one, keeping
// its message.
#pragma once

#include <exception>
#include <string>
#include <utility>

#include "gateway/Exception.h"

namespace gateway {

template <class Call>
decltype(auto) RunAtBoundary(Call&& call) {
  try {
    return std::forward<Call>(call)();
  } catch (const Exception&) {
    throw;
  } catch (const std::exception& error) {
    throw Exception(error.what());
  } catch (...) {
    throw Exception("An unknown failure occurred inside the business object");
  }
}

}  // namespace gateway
