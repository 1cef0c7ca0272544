// The registry file on disk: reading it (through a cache of the last parse)
// and adding a key to it safely while other processes may be doing the same.
#ifndef KORVEL_PLATFORM_REGISTRY_REGISTRY_STORE_H_
#define KORVEL_PLATFORM_REGISTRY_REGISTRY_STORE_H_

#include <memory>
#include <string>

#include "platform/registry/registry_file.h"
#include "platform/wintypes.h"

namespace registry {

// The parsed contents of the file at `path`; a missing file is an empty
// registry. Fails with ERROR_ACCESS_DENIED for an unreadable file and
// ERROR_BADDB for a malformed one, *error then saying why.
LONG LoadRegistry(const std::string& path, std::shared_ptr<const RegistryFile>* file, std::string* error);

// Whether the file may be rewritten (for a missing file: created). A file or
// folder without any write permission bit counts as read-only even for root,
// who would otherwise pass every access check.
bool RegistryWritable(const std::string& path);

// Adds a section for root\key_path unless the key exists by then. Holds an
// exclusive lock on "<path>.lock" while it re-reads the file, and replaces the
// file by rename, so readers see the old or the new file, never a mix; a
// malformed file is left exactly as it is. *created tells whether it added.
LONG AddRegistryKey(const std::string& path, RegistryRoot root, const std::wstring& key_path,
                    bool* created, std::string* error);

}  // namespace registry

#endif  // KORVEL_PLATFORM_REGISTRY_REGISTRY_STORE_H_
