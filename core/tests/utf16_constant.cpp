// Compiled by utf16_constant_test.cmake once per case: each constant but the well-formed one must stop the build.
#include "halvo/utf16.h"

#if HALVO_CASE == 0
constexpr auto kText = halvo::ToUtf16<char16_t, 8>("A\xc3\xa9");  // well-formed: compiles
#elif HALVO_CASE == 1
constexpr auto kText = halvo::ToUtf16<char16_t, 8>("a\x80" "b");  // stray continuation byte
#elif HALVO_CASE == 2
constexpr auto kText = halvo::ToUtf16<char16_t, 8>("a\xc3" "b");  // lead byte without its continuation
#elif HALVO_CASE == 3
constexpr auto kText = halvo::ToUtf16<char16_t, 3>("abc");  // no room for the terminating NUL
#endif

int main() { return kText[0] == 0; }
