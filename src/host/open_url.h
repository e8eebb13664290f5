// open_url.h — opening a URL with the desktop's default handler.
#pragma once

#include <string>

// Starts `handler url` (xdg-open by default) detached from the game, with
// the URL as a single argument; no shell is involved, so nothing in the URL
// is interpreted. Empty URLs and URLs starting with '-' (which the handler
// would read as an option) are refused. False when nothing was started.
bool LaunchUrl(const std::string& url, const char* handler = "xdg-open");
