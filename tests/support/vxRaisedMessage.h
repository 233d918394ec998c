// "The message this raised": runs a callable and gives the text of the
// exception it threw, so a test compares error texts in one line.
#pragma once

#include <exception>
#include <string>

namespace vxTest {

// The what() of the exception Work raised; "(nothing raised)" when it
// returned normally, "(not a std::exception)" for anything else.
template <class F>
std::string RaisedMessage(F&& Work) {
  try {
    Work();
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "(not a std::exception)";
  }
  return "(nothing raised)";
}

}  // namespace vxTest
