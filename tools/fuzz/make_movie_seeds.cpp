// Writes seed movies for the movie fuzzer into the folder named on the command line: Theora
// alone and with a Vorbis track, sizes that are and are not multiples of 16.
#include "movie/movie_files.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_movie_seeds FOLDER\n");
        return 1;
    }
    const std::string folder = argv[1];
    const struct {
        const char* name;
        MovieRecipe recipe;
    } seeds[] = {
        {"bars.ogv", {.width = 32, .height = 16, .frames = 3}},
        {"odd.ogv", {.width = 20, .height = 10, .frames = 2, .rate = 25}},
        {"sound.ogv", {.width = 16, .height = 16, .frames = 4, .soundRate = 8000}},
        {"noise.ogv", {.width = 32, .height = 32, .frames = 4, .noise = true}},
    };
    for (const auto& seed : seeds) {
        const std::string bytes = TheoraMovie(seed.recipe);
        if (FILE* file = std::fopen((folder + "/" + seed.name).c_str(), "wb")) {
            std::fwrite(bytes.data(), 1, bytes.size(), file);
            std::fclose(file);
        }
    }
    return 0;
}
