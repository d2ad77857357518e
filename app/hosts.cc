#include "app/hosts.h"

namespace zarvo {

HostSettings BuiltInHosts() { return HostSettings{ZARVO_INDEX_HOST, ZARVO_PLAYBACK_HOST}; }

HostSettings& Hosts() {
  static HostSettings hosts = BuiltInHosts();
  return hosts;
}

}  // namespace zarvo
