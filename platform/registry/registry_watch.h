// Inside the registry: where the watchers of registry notifications listen. Each process with
// registrations binds a datagram socket "regwatch/<pid>" in the device's runtime folder; every
// committed write sends each of them one byte (AnnounceChange, declared in registry_store.h).
#pragma once

#include <sys/un.h>

#include <filesystem>

namespace ce::registry {

// The folder of watcher sockets, created when missing.
std::filesystem::path WatchFolder();
// Fills a Unix socket address; false when the path is too long for one.
bool FillAddress(const std::filesystem::path& path, sockaddr_un* addr);

}  // namespace ce::registry
