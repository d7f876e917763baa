// The system's cryptography against published answers: natively OpenSSL's, in store_tests_win
// under Wine BCrypt's and DPAPI's.
#include "store/Crypto.h"

#include <gtest/gtest.h>

#include <string>

using namespace store::crypto;

namespace {

std::string hex(std::string_view bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (unsigned char byte : bytes)
        text += {digits[byte >> 4], digits[byte & 15]};
    return text;
}

std::string unhex(std::string_view text) {
    std::string bytes;
    for (std::size_t i = 0; i + 1 < text.size(); i += 2)
        bytes += static_cast<char>(std::stoi(std::string(text.substr(i, 2)), nullptr, 16));
    return bytes;
}

std::string flipped(std::string bytes, std::size_t at) {
    bytes[at] = static_cast<char>(bytes[at] ^ 0x01);
    return bytes;
}

}  // namespace

TEST(Crypto, Sha256GivesThePublishedDigests) {
    EXPECT_EQ(hex(sha256("").value_or("")), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(hex(sha256("abc").value_or("")), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(hex(sha256("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq").value_or("")),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
}

TEST(Crypto, Pbkdf2HmacSha256GivesThePublishedKeys) {
    struct Case {
        std::string password, salt;
        std::uint32_t iterations;
        std::size_t length;
        const char* key;
    };
    const Case cases[] = {
        {"password", "salt", 1, 32, "120fb6cffcf8b32c43e7225256c4f837a86548c92ccc35480805987cb70be17b"},
        {"password", "salt", 2, 32, "ae4d0c95af6b46d32d0adff928f06dd02a303f8ef3c251dfd6e2d85a95474c43"},
        {"password", "salt", 4096, 32, "c5e478d59288c841aa530db6845c4c8d962893a001ce4e11a4963873aa98134a"},
        {"passwordPASSWORDpassword", "saltSALTsaltSALTsaltSALTsaltSALTsalt", 4096, 40,
         "348c89dbcbd32b2f32d814b8116e84cf2b17347ebc1800181c4e2a1fb8dd53e1c635518c7dac47e9"},
        {std::string("pass\0word", 9), std::string("sa\0lt", 5), 4096, 16, "89b69d0516f829893c696226650a8687"},
        // RFC 7914, section 11.
        {"passwd", "salt", 1, 64,
         "55ac046e56e3089fec1691c22544b605f94185216dde0465e68b9d57c20dacbc49ca9cccf179b645991664b39d77ef317c71b845b1e30bd5"
         "09112041d3a19783"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(hex(deriveKey(c.password, c.salt, c.iterations, c.length).value_or("")), c.key) << c.iterations;
}

// The GCM paper's test case 16 (256-bit key, associated data): the system opens it, and refuses it
// with any part changed.
TEST(Crypto, AesGcmOpensThePublishedSealAndRefusesItAltered) {
    const std::string key = unhex("feffe9928665731c6d6a8f9467308308feffe9928665731c6d6a8f9467308308");
    const std::string associated = unhex("feedfacedeadbeeffeedfacedeadbeefabaddad2");
    const std::string sealed = unhex("cafebabefacedbaddecaf888"
                                     "522dc1f099567d07f47f37a32a84427d643a8cdcbfe5c0c97598a2bd2555d1aa8cb08e48590dbb3da7b08b1056828838c5f61e6393ba7a0abcc9f662"
                                     "76fc6ece0f4e1768cddf8853bb2d551b");
    EXPECT_EQ(hex(openAesGcm(key, associated, sealed).value_or("")),
              "d9313225f88406e5a55909c5aff5269a86a7a9531534f7da2e4c303d8a318a721c3c0c95956809532fcf0e2449a6b525b16aedf5aa0de6"
              "57ba637b39");
    EXPECT_FALSE(openAesGcm(flipped(key, 0), associated, sealed));
    EXPECT_FALSE(openAesGcm(key, flipped(associated, 3), sealed));
    for (const std::size_t at : {std::size_t{0}, std::size_t{20}, sealed.size() - 1})
        EXPECT_FALSE(openAesGcm(key, associated, flipped(sealed, at))) << at;
    EXPECT_FALSE(openAesGcm(key, associated, sealed.substr(0, sealed.size() - 1)));
    EXPECT_FALSE(openAesGcm(key, associated, sealed.substr(0, kNonceSize + kTagSize - 1)));
}

TEST(Crypto, AesGcmSealsWithAFreshNonceEachTime) {
    const std::string key(kKeySize, 'k');
    for (const std::string& plain : {std::string(), std::string("a clip"), std::string(100000, '\x89')}) {
        const std::optional<std::string> first = sealAesGcm(key, "file", plain);
        const std::optional<std::string> second = sealAesGcm(key, "file", plain);
        ASSERT_TRUE(first && second);
        EXPECT_EQ(first->size(), kNonceSize + plain.size() + kTagSize);
        EXPECT_NE(*first, *second);
        EXPECT_EQ(openAesGcm(key, "file", *first), plain);
        EXPECT_FALSE(openAesGcm(key, "another file", *first));
    }
    EXPECT_FALSE(sealAesGcm("short key", "", "x"));
}

TEST(Crypto, TheUsersProtectionOpensOnlyWithItsEntropyAndUnaltered) {
    const std::string plain = "剪贴板里的文字 and bytes \x01\x02";
    const std::optional<std::string> sealed = protectForUser(plain, "entropy");
    ASSERT_TRUE(sealed);
    EXPECT_EQ(sealed->find("bytes"), std::string::npos);
    EXPECT_EQ(unprotectForUser(*sealed, "entropy"), plain);
    EXPECT_FALSE(unprotectForUser(*sealed, "other entropy"));
    // A damaged byte is refused, or (in a field of the blob the content does not depend on) gives
    // the very bytes sealed: never other ones. The signature at its end is always checked.
    for (std::size_t at = 0; at < sealed->size(); ++at) {
        const std::optional<std::string> opened = unprotectForUser(flipped(*sealed, at), "entropy");
        EXPECT_TRUE(!opened || *opened == plain) << at;
    }
    EXPECT_FALSE(unprotectForUser(flipped(*sealed, sealed->size() - 1), "entropy"));
    EXPECT_FALSE(unprotectForUser(sealed->substr(0, sealed->size() - 4), "entropy"));
    EXPECT_FALSE(unprotectForUser(std::string(200, 'x'), "entropy"));
    const std::optional<std::string> empty = protectForUser("", "entropy");
    ASSERT_TRUE(empty);
    EXPECT_EQ(unprotectForUser(*empty, "entropy"), "");
}

TEST(Crypto, RandomBytesComeInTheSizeAskedAndDiffer) {
    const std::optional<std::string> first = randomBytes(32), second = randomBytes(32);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->size(), 32u);
    EXPECT_NE(*first, *second);
    EXPECT_EQ(randomBytes(0), "");
}
