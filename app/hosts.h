// The two web sites the program talks to: the torrent index site that a
// search asks, and the playback site whose page the browser shows. Both are
// fixed when the program is built (CMake cache variables ZARVO_INDEX_HOST and
// ZARVO_PLAYBACK_HOST); the program reads no environment and no command line.
// A host is a name or address with an optional ":port", without a scheme.
//
// Hosts() is the one place the window and its handlers read them from; a test
// may overwrite its fields before it creates the window.
//
// Example:
//   Hosts().playbackHost                 // "127.0.0.1:8964" by default
//   Hosts().indexHost = "127.0.0.1:40001";   // in a test, before MainWindow
#ifndef ZARVO_APP_HOSTS_H_
#define ZARVO_APP_HOSTS_H_

#include "text/text.h"

namespace zarvo {

struct HostSettings {
  Text indexHost;     // answers "/search/<code>/"
  Text playbackHost;  // serves "/api.html"
};

// The settings in force; starts as the built-in hosts.
HostSettings& Hosts();

// The hosts built into the program.
HostSettings BuiltInHosts();

}  // namespace zarvo

#endif  // ZARVO_APP_HOSTS_H_
