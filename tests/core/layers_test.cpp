// The layering of media/ as the includes keep it: a folder includes headers of its own layer
// and of the layers below, never above; system headers of the window system, GL, fonts,
// iconv and POSIX only inside platform/. The table is the one of docs/architecture.md.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct FolderLayer {
    const char* folder;
    int layer;
};

// include/ is not in the table: any layer may include the public header, and the public
// header includes only its own parts.
constexpr FolderLayer Layers[] = {
    {.folder = "base", .layer = 0},      {.folder = "platform", .layer = 0}, {.folder = "core", .layer = 1},
    {.folder = "file", .layer = 2},      {.folder = "random", .layer = 2},   {.folder = "image", .layer = 2},
    {.folder = "sound", .layer = 2},     {.folder = "graphics", .layer = 3}, {.folder = "text", .layer = 3},
    {.folder = "movie", .layer = 3},     {.folder = "window", .layer = 4},   {.folder = "input", .layer = 4},
    {.folder = "lifecycle", .layer = 5},
};

constexpr const char* SystemHeaders[] = {"SDL",       "epoxy/",  "GL/",      "ft2build.h", "fontconfig/",
                                         "freetype/", "X11/",    "unistd.h", "sys/",       "pthread.h",
                                         "dirent.h",  "fcntl.h", "iconv.h"};

struct IncludeLine {
    std::string file;  // relative to media/
    int line;
    std::string header;
    bool quoted;
};

fs::path MediaRoot() { return fs::path(ROR_SOURCE_DIR) / "media"; }

std::vector<IncludeLine> ReadIncludes()
{
    static const std::regex include(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])");
    std::vector<IncludeLine> found;
    for (const auto& entry : fs::recursive_directory_iterator(MediaRoot())) {
        const std::string ext = entry.path().extension().string();
        if (!entry.is_regular_file() || (ext != ".h" && ext != ".cpp" && ext != ".c" && ext != ".inl")) continue;
        std::ifstream in(entry.path());
        std::string text;
        int number = 0;
        while (std::getline(in, text)) {
            ++number;
            std::smatch match;
            if (!std::regex_search(text, match, include)) continue;
            found.push_back({.file = fs::relative(entry.path(), MediaRoot()).generic_string(),
                             .line = number,
                             .header = match[2],
                             .quoted = match[1] == "\""});
        }
    }
    return found;
}

std::string TopFolder(const std::string& path) { return path.substr(0, path.find('/')); }

// The layer of a folder, -1 when the table does not name it.
int LayerOf(const std::string& folder)
{
    for (const FolderLayer& entry : Layers)
        if (folder == entry.folder) return entry.layer;
    return -1;
}

std::string Where(const IncludeLine& include)
{
    return "media/" + include.file + ":" + std::to_string(include.line) + " includes " + include.header;
}

TEST(Layers, EveryFolderOfTheLayerIsInTheTable)
{
    for (const auto& entry : fs::directory_iterator(MediaRoot())) {
        if (!entry.is_directory()) continue;
        const std::string folder = entry.path().filename().string();
        EXPECT_TRUE(folder == "include" || LayerOf(folder) >= 0) << "media/" << folder << " has no layer";
    }
}

TEST(Layers, NoIncludeGoesToAHigherLayer)
{
    const std::vector<IncludeLine> includes = ReadIncludes();
    ASSERT_GT(includes.size(), 100u);
    for (const IncludeLine& include : includes) {
        if (!include.quoted) continue;
        const std::string from = TopFolder(include.file);
        const bool publicHeader = fs::exists(MediaRoot() / "include" / include.header);
        const bool besideIt = fs::exists((MediaRoot() / include.file).parent_path() / include.header);
        if (from == "include") {
            EXPECT_TRUE(publicHeader) << Where(include) << ": the public header includes only its own parts";
            continue;
        }
        if (publicHeader || besideIt) continue;
        const int target = LayerOf(TopFolder(include.header));
        ASSERT_GE(target, 0) << Where(include) << ": a folder without a layer";
        if (target > LayerOf(from))
            ADD_FAILURE() << Where(include) << ": layer " << LayerOf(from) << " may not include layer " << target;
    }
}

TEST(Layers, SystemHeadersOnlyInsidePlatform)
{
    for (const IncludeLine& include : ReadIncludes()) {
        if (TopFolder(include.file) == "platform") continue;
        for (const char* system : SystemHeaders)
            EXPECT_NE(include.header.rfind(system, 0), 0u) << Where(include) << ": system headers belong in platform/";
    }
}

}  // namespace
