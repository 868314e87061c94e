#pragma once

// How to reach the maker of the piano: the about window's help line and mail link,
// and the message shown when the server program is missing. The build reads the
// address from here for the software centre's metadata too, so it lives in this one
// place.
inline constexpr auto makerContactAddress = "pellory@example.com";
