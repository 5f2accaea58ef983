#pragma once
// The answers of an asynchronous resolver to names asked all at once, and
// an answer written as a test compares it.

#include "platform/AsyncResolver.h"

#include <string>
#include <vector>

namespace quillon::test {

// Asks every name at once and waits for each answer (a minute at most: a
// question never answered fails the test rather than hangs it, as an
// answer of error 0 with no address). In the order asked.
std::vector<platform::ForwardAnswer> answersOf(platform::AsyncResolver& resolver, const std::vector<std::string>& names);

// "1.2.3.4 5.6.7.8", or "error 11001".
std::string answerText(const platform::ForwardAnswer& answer);
std::vector<std::string> answerTexts(const std::vector<platform::ForwardAnswer>& answers);

} // namespace quillon::test
