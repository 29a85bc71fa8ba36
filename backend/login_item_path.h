// The login items of macOS 11 and 12 hold file URLs that the system
// resolves its own way: the app's entry may come back with or without a
// trailing slash, under /private/var rather than /var (the latter is a link
// to the former, as are /tmp and /etc), or with its name decomposed (NFD,
// as HFS+ stores names) where the bundle's path is precomposed. The entry
// and the bundle are therefore compared as file paths, both resolved the
// same way; the Unicode normalisation is Foundation's, done before.
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace backend {

// The path of a file URL ("file:" with no host or "localhost"), percent
// escapes decoded; nothing for another URL or a damaged escape.
std::optional<std::string> filePathOfURL(const std::string& url);

// The path as compared: without trailing slashes (but "/" itself), and
// /private/var, /private/tmp and /private/etc as /var, /tmp and /etc.
std::string comparablePath(const std::string& path);

// Whether two absolute paths, both in the same Unicode normalisation form,
// name the same file by the rules above.
bool sameFilePath(const std::string& a, const std::string& b);

// The agent's own URL of the bundle at `bundlePath` (as fileURLWithPath
// writes it) when `url` names the same file, so that the agent's exact
// comparison finds its entry however the list spells it; `url` itself
// otherwise. Both paths are put in the same Unicode form by `normalize`
// (the platform's canonical composition) before they are compared.
std::optional<std::string> asBundleURLWhenSameFile(
    const std::optional<std::string>& url, const std::string& bundlePath,
    const std::function<std::string(const std::string&)>& normalize);

}  // namespace backend
