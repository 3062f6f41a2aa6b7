// Text from the phone or the package shown inside skin markup: its angle
// brackets and braces must draw as themselves, not open tags.
#pragma once

#include <string>

// Each "<", ">", "{" and "}" becomes the markup escape that draws it.
std::wstring EscapeMarkup(const std::wstring& text);
