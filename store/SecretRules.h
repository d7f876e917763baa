// Text that is plainly a secret, handled like private content (never recorded, stored, archived or
// kept): a PEM private key, a token of a well-known shape, a payment card number that passes the
// Luhn check. A token or a card number counts when it is the whole text (spaces, line ends and
// quotes around it aside); a private key's first line counts wherever it stands. Texts longer than
// kLongestSecretText are not looked at: a secret is short, and a long copy must not wait for a scan.
// Portable: no <windows.h>.
#pragma once

#include "store/ClipSnapshot.h"

#include <cstddef>
#include <string_view>

namespace store {

inline constexpr std::size_t kLongestSecretText = 16 * 1024;

enum class SecretKind {
    None,
    PrivateKey,  // "-----BEGIN ... PRIVATE KEY-----" (PKCS#1/#8, EC, OpenSSH, PGP "PRIVATE KEY BLOCK")
    Token,       // AWS access key ids, GitHub, Slack, Telegram bot, Google API and Stripe live keys, JSON Web Tokens
    CardNumber,  // 13 to 19 digits, in one run or the usual groups, passing the Luhn check
};

// The kind of secret the text (UTF-8) plainly is; None for any other text.
SecretKind secretKind(std::string_view text);
// Whether the copy's text (UTF-16 if it has it, else the code page's) is plainly a secret.
SecretKind secretKindOfCopy(const ClipSnapshot& snapshot);

}  // namespace store
