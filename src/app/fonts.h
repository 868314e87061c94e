#pragma once

// The window's design names Windows fonts (Trebuchet MS, MS Sans Serif, Comic Sans
// MS, Arial). This tells Qt which installed fonts come closest in look and width.
void installFontSubstitutes();
