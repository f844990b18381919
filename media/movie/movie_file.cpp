#include "movie/movie_file.h"

#include <ogg/ogg.h>
#include <theora/theoradec.h>

#include <cstdio>
#include <cstring>

#include "core/app_log.h"
#include "core/tracked_memory.h"
#include "image/image_limits.h"

namespace ror {

namespace {

constexpr int32_t kReadBlock = 8192;
// Bytes read before the picture track's headers are complete; a movie has them on its first pages.
constexpr int64_t kHeaderSearchBytes = 1 << 20;
// Zero bytes given to the sync layer after the data's end: a damaged page header may claim
// more bytes than are left, and only once they have come does its checksum fail and the
// search go on to the pages after it. Zeros hold no page of their own.
constexpr long kDrainBytes = 65536;

// More bytes from the stream into `sync`: the count, 0 at the end (after the drain).
int32_t Feed(ogg_sync_state* sync, const MovieReader& reader, int32_t* drained)
{
    char* buffer = ogg_sync_buffer(sync, kDrainBytes);
    if (buffer == nullptr) return 0;
    const size_t got = reader.ops->read(buffer, 1, kReadBlock, reader.stream);
    if (got == 0 && !*drained) {
        *drained = 1;
        std::memset(buffer, 0, kDrainBytes);
        ogg_sync_wrote(sync, kDrainBytes);
        return int32_t(kDrainBytes);
    }
    ogg_sync_wrote(sync, long(got));
    return int32_t(got);
}

}  // namespace

struct MovieFile {
    MovieReader reader;
    ogg_sync_state sync;
    ogg_stream_state stream;  // the Theora track
    int32_t serial;
    int32_t streamOpen;
    th_info info;
    th_comment comment;
    th_setup_info* setup;
    th_dec_ctx* decoder;
    int64_t framesRead;
    int32_t ended;
    int32_t drained;
};

namespace {

// The next page of the file (of any track): 1, or 0 at the end of the data.
int NextPage(MovieFile* file, ogg_page* page)
{
    for (;;) {
        const int found = ogg_sync_pageout(&file->sync, page);
        if (found == 1) return 1;
        if (found == 0 && Feed(&file->sync, file->reader, &file->drained) == 0) return 0;
        // found < 0: bytes skipped to find the next page; damage shows as a gap in a track.
    }
}

// The next packet of the picture track: 1, 0 at the end, -1 for a gap in the track.
int NextPacket(MovieFile* file, ogg_packet* packet)
{
    for (;;) {
        const int got = ogg_stream_packetout(&file->stream, packet);
        if (got != 0) return got > 0 ? 1 : -1;
        ogg_page page;
        do {
            if (NextPage(file, &page) == 0) return 0;
        } while (ogg_page_serialno(&page) != file->serial);
        if (ogg_stream_pagein(&file->stream, &page) != 0) return -1;
    }
}

bool IsVorbisHeader(const ogg_packet& packet)
{
    return packet.bytes >= 7 && std::memcmp(packet.packet, "\x01vorbis", 7) == 0;
}

// Reads the first pages until the Theora track's three headers are in: 0, or -1 with a log line.
int ReadHeaders(MovieFile* file, int32_t* hasSound)
{
    int headers = 0;
    ogg_page page;
    ogg_packet packet;
    while (headers < 3) {
        if (file->reader.ops->tell(file->reader.stream) > kHeaderSearchBytes || NextPage(file, &page) == 0)
            return LogWrite("動画ファイルにTheoraの映像がありません\n");
        const int serial = ogg_page_serialno(&page);
        if (ogg_page_bos(&page) && !file->streamOpen) {
            // A track starts: its first packet says what it is.
            ogg_stream_state probe;
            ogg_stream_init(&probe, serial);
            ogg_stream_pagein(&probe, &page);
            if (ogg_stream_packetout(&probe, &packet) == 1) {
                if (th_decode_headerin(&file->info, &file->comment, &file->setup, &packet) > 0) {
                    file->stream = probe;
                    file->serial = serial;
                    file->streamOpen = 1;
                    headers = 1;
                    continue;
                }
                if (IsVorbisHeader(packet)) *hasSound = 1;
            }
            ogg_stream_clear(&probe);
            continue;
        }
        if (ogg_page_bos(&page)) {
            ogg_stream_state probe;
            ogg_stream_init(&probe, serial);
            ogg_stream_pagein(&probe, &page);
            if (ogg_stream_packetout(&probe, &packet) == 1 && IsVorbisHeader(packet)) *hasSound = 1;
            ogg_stream_clear(&probe);
            continue;
        }
        if (!file->streamOpen || serial != file->serial) continue;
        if (ogg_stream_pagein(&file->stream, &page) != 0) return LogWrite("動画ファイルが壊れています\n");
        // The headers are taken one by one; the first picture packet stays in the track.
        while (headers < 3 && ogg_stream_packetpeek(&file->stream, &packet) == 1) {
            if (th_decode_headerin(&file->info, &file->comment, &file->setup, &packet) <= 0)
                return LogWrite("動画ファイルが壊れています\n");
            ogg_stream_packetout(&file->stream, &packet);
            ++headers;
        }
    }
    return 0;
}

// The frames of the picture track, from its last page: its granule position, read from the
// file's end. -1 with a log line when the track has no last page (the file is cut off).
int64_t CountFrames(MovieFile* file)
{
    const StreamOps& ops = *file->reader.ops;
    const int64_t resume = ops.tell(file->reader.stream);
    if (resume < 0 || ops.seek(file->reader.stream, 0, SEEK_END) != 0) return LogWrite("動画ファイルを読めません\n");
    const int64_t size = ops.tell(file->reader.stream);
    int64_t frames = -1;
    int64_t window = 65536;
    for (bool whole = false; !whole && frames < 0; window *= 4) {
        whole = window >= size;
        const int64_t start = whole ? 0 : size - window;
        if (ops.seek(file->reader.stream, int32_t(start), SEEK_SET) != 0) break;
        ogg_sync_state tail;
        ogg_sync_init(&tail);
        ogg_page page;
        int64_t lastGranule = -1;
        bool lastPage = false;
        int32_t drained = 0;
        for (;;) {
            const int found = ogg_sync_pageout(&tail, &page);
            if (found == 0) {
                if (Feed(&tail, file->reader, &drained) == 0) break;
                continue;
            }
            if (found < 0 || ogg_page_serialno(&page) != file->serial) continue;
            if (ogg_page_granulepos(&page) >= 0) lastGranule = ogg_page_granulepos(&page);
            lastPage = ogg_page_eos(&page) != 0;
        }
        ogg_sync_clear(&tail);
        if (lastPage && lastGranule >= 0) frames = th_granule_frame(file->decoder, lastGranule) + 1;
        if (lastGranule >= 0 && !lastPage) break;  // the track goes on past the file's end
    }
    if (ops.seek(file->reader.stream, int32_t(resume), SEEK_SET) != 0 || frames <= 0)
        return LogWrite("動画ファイルが途中で切れています\n");
    return frames;
}

}  // namespace

MovieFile* OpenMovieFile(const MovieReader& reader, MovieInfo* info)
{
    char magic[4] = {};
    if (reader.ops->read(magic, 1, 4, reader.stream) != 4 || std::memcmp(magic, "OggS", 4) != 0 ||
        reader.ops->seek(reader.stream, 0, SEEK_SET) != 0) {
        LogWrite("Ogg形式の動画ファイルではありません\n");
        return nullptr;
    }
    auto* file = static_cast<MovieFile*>(TrackedAllocZeroed(int32_t(sizeof(MovieFile)), __FILE__, __LINE__));
    if (file == nullptr) return nullptr;
    file->reader = reader;
    ogg_sync_init(&file->sync);
    th_info_init(&file->info);
    th_comment_init(&file->comment);
    int32_t hasSound = 0;
    if (ReadHeaders(file, &hasSound) != 0) {
        CloseMovieFile(file);
        return nullptr;
    }
    const th_info& ti = file->info;
    if (ti.pic_width == 0 || ti.pic_height == 0 || !GraphicSizeFits(ti.pic_width, ti.pic_height) ||
        ti.fps_numerator == 0 || ti.fps_denominator == 0 || ti.fps_numerator > 1000u * ti.fps_denominator ||
        ti.pixel_fmt == TH_PF_RSVD) {
        LogWriteFormat("動画の大きさ %u x %u かフレームレートが扱えません\n", ti.pic_width, ti.pic_height);
        CloseMovieFile(file);
        return nullptr;
    }
    file->decoder = th_decode_alloc(&file->info, file->setup);
    const int64_t frames = file->decoder != nullptr ? CountFrames(file) : -1;
    if (frames < 0) {
        CloseMovieFile(file);
        return nullptr;
    }
    info->width = int32_t(ti.pic_width);
    info->height = int32_t(ti.pic_height);
    info->rateNumerator = int32_t(ti.fps_numerator);
    info->rateDenominator = int32_t(ti.fps_denominator);
    info->frames = frames;
    info->hasSound = hasSound;
    return file;
}

int ReadMovieFrame(MovieFile* file, PlanarPicture* picture)
{
    if (file->ended) return 0;
    ogg_packet packet;
    int got = NextPacket(file, &packet);
    // Header packets again (after a rewind) are passed over.
    while (got == 1 && packet.bytes > 0 && (packet.packet[0] & 0x80) != 0) got = NextPacket(file, &packet);
    if (got == 0) {
        file->ended = 1;
        return 0;
    }
    ogg_int64_t granule = 0;
    const int decoded = got == 1 ? th_decode_packetin(file->decoder, &packet, &granule) : -1;
    if (decoded != 0 && decoded != TH_DUPFRAME) {
        file->ended = 1;
        return LogWrite("動画ファイルの映像が壊れています\n");
    }
    ++file->framesRead;
    if (picture == nullptr) return 1;
    th_ycbcr_buffer planes;
    if (th_decode_ycbcr_out(file->decoder, planes) != 0) return LogWrite("動画ファイルの映像が壊れています\n");
    const th_info& ti = file->info;
    picture->chromaShiftX = ti.pixel_fmt == TH_PF_444 ? 0 : 1;
    picture->chromaShiftY = ti.pixel_fmt == TH_PF_420 ? 1 : 0;
    picture->width = int32_t(ti.pic_width);
    picture->height = int32_t(ti.pic_height);
    for (int i = 0; i < 3; ++i) {
        const int32_t x = int32_t(ti.pic_x) >> (i == 0 ? 0 : picture->chromaShiftX);
        const int32_t y = int32_t(ti.pic_y) >> (i == 0 ? 0 : picture->chromaShiftY);
        picture->pitches[i] = planes[i].stride;
        picture->planes[i] = planes[i].data + intptr_t(y) * planes[i].stride + x;
    }
    return 1;
}

int64_t MovieFramesRead(const MovieFile* file) { return file->framesRead; }

int RewindMovieFile(MovieFile* file)
{
    if (file->reader.ops->seek(file->reader.stream, 0, SEEK_SET) != 0) return LogWrite("動画ファイルを読めません\n");
    ogg_sync_reset(&file->sync);
    ogg_stream_reset(&file->stream);
    file->drained = 0;
    th_decode_free(file->decoder);
    file->decoder = th_decode_alloc(&file->info, file->setup);
    file->framesRead = 0;
    file->ended = 0;
    return file->decoder != nullptr ? 0 : -1;
}

void CloseMovieFile(MovieFile* file)
{
    if (file == nullptr) return;
    if (file->decoder != nullptr) th_decode_free(file->decoder);
    th_setup_free(file->setup);
    th_comment_clear(&file->comment);
    th_info_clear(&file->info);
    if (file->streamOpen) ogg_stream_clear(&file->stream);
    ogg_sync_clear(&file->sync);
    TrackedFree(file);
}

}  // namespace ror
