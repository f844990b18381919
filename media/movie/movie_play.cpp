// Movies shown in graphics: opening, the clock that follows the sound track, and the public
// movie operations.
#include "movie/movies.h"

#include <algorithm>

#include "core/app_log.h"
#include "core/last_failure.h"
#include "graphics/draw_ops.h"
#include "graphics/graphic_handles.h"
#include "graphics/screen_mode.h"
#include "rorodiv.h"
#include "sound/sound_handles.h"

namespace ror {

MovieStateRecord MovieState;

namespace {

constexpr int64_t kMicro = 1000000;

// The movie shown by a graphic handle, or null.
MovieRecord* MovieOf(int graphic)
{
    const GraphicRecord* g = ResolveGraphic(graphic);
    if (g == nullptr || g->movie < 0 || g->movie >= kMovieSlots) return nullptr;
    MovieRecord* movie = &MovieState.movies[g->movie];
    return movie->inUse && movie->graphic == graphic ? movie : nullptr;
}

int64_t FrameStart(const MovieRecord* movie, int64_t frame)
{
    return frame * movie->info.rateDenominator * kMicro / movie->info.rateNumerator;
}

int64_t FrameAt(const MovieRecord* movie, int64_t micros)
{
    return micros * movie->info.rateNumerator / (int64_t(movie->info.rateDenominator) * kMicro);
}

int64_t Length(const MovieRecord* movie) { return FrameStart(movie, movie->info.frames); }

void StopSoundTrack(MovieRecord* movie)
{
    if (movie->play >= 0) StopPlay(movie->play);
    movie->play = -1;
}

// Starts the sound track at the movie's time `micros`.
void StartSoundTrack(MovieRecord* movie, int64_t micros)
{
    StopSoundTrack(movie);
    if (movie->sound < 0) return;
    const SoundRecord* sound = ResolveSound(movie->sound);
    const int64_t frame = micros * movie->soundRate / kMicro;
    if (sound == nullptr || frame >= sound->format.frames) return;
    SetSoundPosition(movie->sound, frame);
    movie->play = StartSound(movie->sound, SOUND_PLAY_BACK);
}

// Decodes up to `frame` (going back to the start for an earlier one) and shows it. 0, or -1
// when the file is damaged there (the movie stops).
int ShowFrame(MovieRecord* movie, int64_t frame)
{
    frame = std::clamp<int64_t>(frame, 0, movie->info.frames - 1);
    if (frame == movie->shownFrame) return 0;
    if (frame < MovieFramesRead(movie->file) - 1 && RewindMovieFile(movie->file) != 0) return -1;
    PlanarPicture picture{};
    int got = 1;
    // Frames passed over are decoded (each builds on the one before) but never converted.
    while (got == 1 && MovieFramesRead(movie->file) <= frame)
        got = ReadMovieFrame(movie->file, MovieFramesRead(movie->file) == frame ? &picture : nullptr);
    if (got != 1) {
        movie->playing = 0;
        StopSoundTrack(movie);
        return got == 0 ? 0 : -1;
    }
    GraphicRecord* g = ResolveGraphic(movie->graphic);
    movie->shownFrame = frame;
    return g != nullptr ? DrawOps.putPlanarPicture(g, picture) : -1;
}

void CloseMovie(MovieRecord* movie)
{
    StopSoundTrack(movie);
    if (movie->sound >= 0) DeleteSound(movie->sound);
    CloseMovieFile(movie->file);
    if (movie->source != 0) FileClose(movie->source);
    if (GraphicRecord* g = ResolveGraphic(movie->graphic)) g->movie = -1;
    *movie = MovieRecord{};
}

// Moves a movie to `micros`, playing on from there when it plays.
int MoveMovie(MovieRecord* movie, int64_t micros)
{
    movie->stoppedAt = micros;
    movie->clockStart = NowMicroseconds() - uint64_t(micros);
    if (movie->playing) StartSoundTrack(movie, micros);
    return ShowFrame(movie, FrameAt(movie, micros));
}

void StepMovie(MovieRecord* movie)
{
    if (!movie->playing) return;
    int64_t now = MovieTimeNow(movie);
    if (now >= Length(movie)) {
        if (!movie->loop) {
            ShowFrame(movie, movie->info.frames - 1);
            movie->playing = 0;
            movie->stoppedAt = Length(movie);
            StopSoundTrack(movie);
            return;
        }
        now %= Length(movie);
        MoveMovie(movie, now);
        return;
    }
    ShowFrame(movie, FrameAt(movie, now));
}

void CloseMovieInSlot(int32_t slot)
{
    if (slot >= 0 && slot < kMovieSlots && MovieState.movies[slot].inUse) CloseMovie(&MovieState.movies[slot]);
}

int OpenMovie(const char* path)
{
    CloseMovieOfGraphic = CloseMovieInSlot;
    int slot = 0;
    while (slot < kMovieSlots && MovieState.movies[slot].inUse) ++slot;
    if (slot == kMovieSlots) return LogWriteFormat("動画の数が上限の %d を越えました\n", kMovieSlots);
    MovieRecord& movie = MovieState.movies[slot];
    movie = MovieRecord{};
    movie.sound = movie.play = movie.graphic = -1;
    movie.shownFrame = -1;
    movie.inUse = 1;
    movie.source = FileOpen(path, 0, 0, 0);
    if (movie.source == 0) {
        CloseMovie(&movie);
        return LogWriteFormat("動画ファイル %s を開けません\n", path);
    }
    movie.file = OpenMovieFile({FileStreamOps(), StreamValue(movie.source)}, &movie.info);
    if (movie.file == nullptr) {
        CloseMovie(&movie);
        return -1;
    }
    // The graphic is a plain colour image of the picture's size, whatever the settings.
    const GraphicCreationSettings saved = GraphicCreation;
    GraphicCreation.alphaChannel = 0;
    GraphicCreation.useTransparentColor = 0;
    movie.graphic = CreateBlankGraphic(movie.info.width, movie.info.height);
    GraphicCreation = saved;
    GraphicRecord* g = ResolveGraphic(movie.graphic);
    if (g == nullptr) {
        CloseMovie(&movie);
        return -1;
    }
    g->movie = slot;
    if (movie.info.hasSound) {
        movie.sound = LoadSound(path);
        const SoundRecord* sound = ResolveSound(movie.sound);
        movie.soundRate = sound != nullptr ? sound->format.rate : 0;
        // Without its sound the movie still plays, on the layer's clock.
        if (sound == nullptr) LogWrite("動画の音声を読めないため、音声なしで再生します\n");
    }
    if (ShowFrame(&movie, 0) != 0) {
        const int graphic = movie.graphic;
        CloseMovie(&movie);
        DestroyGraphic(graphic);
        return -1;
    }
    return movie.graphic;
}

}  // namespace

int64_t MovieTimeNow(MovieRecord* movie)
{
    if (!movie->playing) return movie->stoppedAt;
    const uint64_t now = NowMicroseconds();
    // While the sound track plays (or is held), its position is the clock, and the layer's
    // clock is set by it, so that the time runs on smoothly after the track's end.
    const int state = movie->play >= 0 ? GetPlayState(movie->play) : PLAY_STATE_NONE;
    if ((state == PLAY_STATE_PLAYING || state == PLAY_STATE_PAUSED) && movie->soundRate > 0) {
        const int64_t micros = GetSoundPosition(movie->sound) * kMicro / movie->soundRate;
        movie->clockStart = now - uint64_t(micros);
        return micros;
    }
    return int64_t(now - movie->clockStart);
}

void StepMovies()
{
    for (MovieRecord& movie : MovieState.movies) {
        if (!movie.inUse) continue;
        if (ResolveGraphic(movie.graphic) == nullptr)
            CloseMovie(&movie);
        else
            StepMovie(&movie);
    }
}

void CloseAllMovies()
{
    for (MovieRecord& movie : MovieState.movies)
        if (movie.inUse) CloseMovie(&movie);
}

}  // namespace ror

using namespace ror;

int LoadMovieGraphic(const char* path)
{
    if (path == nullptr) return FailedArgument(__func__);
    if (!ScreenSettings.graphicsReady) return FailedNotStarted(__func__);
    return OpenMovie(path);
}

int StartMovie(int graphic)
{
    MovieRecord* movie = MovieOf(graphic);
    if (movie == nullptr) return FailedHandle(__func__, graphic);
    if (movie->playing) return 0;
    // A movie that has run to its end starts again.
    const int64_t from = movie->stoppedAt >= Length(movie) ? 0 : movie->stoppedAt;
    movie->playing = 1;
    MoveMovie(movie, from);
    return 0;
}

int PauseMovie(int graphic)
{
    MovieRecord* movie = MovieOf(graphic);
    if (movie == nullptr) return FailedHandle(__func__, graphic);
    if (!movie->playing) return 0;
    movie->stoppedAt = std::min(MovieTimeNow(movie), Length(movie));
    movie->playing = 0;
    StopSoundTrack(movie);
    // The picture held is the one of the time held.
    ShowFrame(movie, FrameAt(movie, movie->stoppedAt));
    return 0;
}

int StopMovie(int graphic)
{
    if (PauseMovie(graphic) != 0) return -1;
    return MoveMovie(MovieOf(graphic), 0);
}

int SeekMovie(int graphic, int64_t milliseconds)
{
    MovieRecord* movie = MovieOf(graphic);
    if (movie == nullptr) return FailedHandle(__func__, graphic);
    if (milliseconds < 0 || milliseconds * 1000 > Length(movie)) return FailedArgument(__func__);
    return MoveMovie(movie, milliseconds * 1000);
}

int SetMovieLoop(int graphic, int loop)
{
    MovieRecord* movie = MovieOf(graphic);
    if (movie == nullptr) return FailedHandle(__func__, graphic);
    if (loop != 0 && loop != 1) return FailedArgument(__func__);
    movie->loop = loop;
    return 0;
}

int GetMovieFrameRate(int graphic, int* numerator, int* denominator)
{
    const MovieRecord* movie = MovieOf(graphic);
    if (movie == nullptr) return FailedHandle(__func__, graphic);
    if (numerator != nullptr) *numerator = movie->info.rateNumerator;
    if (denominator != nullptr) *denominator = movie->info.rateDenominator;
    return 0;
}

int64_t GetMovieLength(int graphic)
{
    const MovieRecord* movie = MovieOf(graphic);
    if (movie == nullptr) return FailedHandle(__func__, graphic);
    return Length(movie) / 1000;
}

int64_t GetMovieTime(int graphic)
{
    MovieRecord* movie = MovieOf(graphic);
    if (movie == nullptr) return FailedHandle(__func__, graphic);
    return std::min(MovieTimeNow(movie), Length(movie)) / 1000;
}

int IsMoviePlaying(int graphic)
{
    const MovieRecord* movie = MovieOf(graphic);
    if (movie == nullptr) return FailedHandle(__func__, graphic);
    return movie->playing;
}
