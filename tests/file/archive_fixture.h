// Archives made with the packer's library for the tests, and access to their bytes.
#pragma once
#include "archive_writer.h"
#include <gtest/gtest.h>
#include "file/archive.h"

#include <cstring>
#include <string>
#include <vector>

inline std::vector<uint8_t> Bytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

inline PackNode FileNode(const std::string& name, const std::string& data)
{
    PackNode node;
    node.name = name;
    node.data = Bytes(data);
    node.lastWriteTime = 133000000000000000ULL;  // 2022-06-19 (UTC)
    node.creationTime = node.lastWriteTime;
    return node;
}

inline PackNode FolderNode(const std::string& name, std::vector<PackNode> children)
{
    PackNode node;
    node.name = name;
    node.isFolder = true;
    node.children = std::move(children);
    return node;
}

// A repetitive text that the LZ coder shrinks.
inline std::string Compressible(size_t size)
{
    std::string text;
    for (int i = 0; text.size() < size; ++i) text += "line " + std::to_string(i % 50) + " of the sample text\n";
    text.resize(size);
    return text;
}

// root: A.png, DATA.bin (compressible), img/ (B.PNG compressible, sub/ (deep.txt)),
// "表"/ (whose second byte is "\"; x.bin), four/ (abcd, a name of exactly 4 bytes)
inline PackNode SampleTree()
{
    PackNode root = FolderNode("", {});
    root.children = {
        FileNode("A.png", "0123456789"),
        FileNode("DATA.bin", Compressible(5000)),
        FolderNode("img", {FileNode("B.PNG", Compressible(3000)), FolderNode("sub", {FileNode("deep.txt", "deep")})}),
        FolderNode("\x95\x5C", {FileNode("x.bin", "xx")}),
        FolderNode("four", {FileNode("abcd", "4444")}),
    };
    return root;
}

inline std::vector<uint8_t> MakeArchive(const PackNode& root, int version = 3, bool fallbackKey = false,
                                        const char* keyText = nullptr)
{
    PackOptions options;
    options.version = version;
    options.fallbackKey = fallbackKey;
    options.keyText = keyText;
    std::vector<uint8_t> archive;
    std::string error;
    EXPECT_TRUE(BuildArchive(root, options, &archive, &error)) << error;
    return archive;
}

// The archive's bytes unscrambled with the default key, and back.
inline void ToggleScramble(std::vector<uint8_t>& bytes)
{
    ror::ScrambleBytes(bytes.data(), bytes.size(), 0, ror::DeriveArchiveKey(nullptr));
}

inline uint32_t GetU32(const std::vector<uint8_t>& bytes, size_t at)
{
    uint32_t value;
    std::memcpy(&value, &bytes[at], 4);
    return value;
}

inline void SetU32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) { std::memcpy(&bytes[at], &value, 4); }
