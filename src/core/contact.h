#pragma once

// How to reach the maker of the piano: the about window's help line and mail link,
// and the message shown when the server program is missing.
inline constexpr auto makerContactAddress = "pellory@example.com";
inline constexpr auto makerContactPhone = "+1 555 0146";
