// The live view's paths on the gateway's HTTP server: the page and its two files (built into
// the program), the event stream and the JSON of /api/.
#pragma once

#include "HttpReply.h"
#include "HttpStream.h"

class LiveFeed;

inline const char *const kLiveEventsPath = "/events";

// Adds the page's files and the /api/ answers to `pages`; they read `feed`, which outlives them.
void AddLivePages(http::Pages &pages, LiveFeed &feed);
http::Streams LiveStreams(LiveFeed &feed);
