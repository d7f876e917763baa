// Reading and rewriting the store's XML files (the index and the status file) safely while
// other processes do the same: every access holds the store lock, every rewrite replaces the
// file in one step, and a file that cannot be read is never overwritten by an empty store.
#pragma once

#include <functional>
#include <string>

namespace xml { class XmlDocument; }

namespace store {

enum class FileState { Loaded, Missing, Unreadable };

// Loads a store file under the store lock. A file that is there but does not read as a
// document is tried again a few times, in case a program outside our lock is writing it. With
// `bytes`: the file's bytes as they were loaded.
FileState readStoreFile(const std::string& path, xml::XmlDocument& doc, std::string* bytes = nullptr);

// Writes the document's file bytes to `path` in one step.
bool writeStoreFile(const xml::XmlDocument& doc, const std::string& path);

enum class IfMissing { Create, Skip };

// One read-modify-write of a store file, wholly under the store lock. A missing file starts as
// an empty store, or with Skip leaves nothing to do. A file that stays unreadable is set aside
// under another name and reported (see setDamageReporter), and the elements that could still
// be read of it are carried over. `edit` returns whether it changed the document; only then is
// it written. Returns whether the file was written.
bool updateStoreFile(const std::string& path, IfMissing ifMissing, const std::function<bool(xml::XmlDocument&)>& edit);

// Who hears of a damaged store file and the name it was kept under: each deliverable tells the
// user in its own way. Without one nothing is said.
using DamageReporter = void (*)(const std::string& keptAs);
void setDamageReporter(DamageReporter reporter);

}  // namespace store
