#include "transcoder/target_metadata.h"

#include "player/tool_helpers.h"
#include "transcoder/source_files.h"
#include "transcoder/target_stream_options.h"
#include "transcoder/terminal_and_exit.h"
#include "transcoder/tool_parser.h"
#include "transcoder/transcoder_state.h"

extern "C" {
#include <libavutil/mathematics.h>
}

#include <algorithm>
#include <optional>
#include <string>

namespace {

struct MetadataSpec {
    char type = 'g';
    int index = 0;
    const char* stream_spec = "";
};

// A stream specifier in it is checked here, once, whether or not there are streams to match.
MetadataSpec parseSpec(const char* text) {
    MetadataSpec spec;
    tc_parse_metadata_spec(text, &spec.type, &spec.index, &spec.stream_spec);
    if (spec.type == 's' && tool_check_stream_specifier(spec.stream_spec) < 0)
        tc_cleanup_and_exit(1);
    return spec;
}

void markManual(PerFileOptions* o, char type) {
    if (type == 'g')
        o->metadata_global_manual = 1;
    else if (type == 's')
        o->metadata_streams_manual = 1;
    else if (type == 'c')
        o->metadata_chapters_manual = 1;
}

int matches(AVFormatContext* ctx, AVStream* st, const char* spec) {
    const int match = tool_match_stream_specifier(ctx, st, spec);
    if (match < 0)
        tc_cleanup_and_exit(1);
    return match;
}

// The dictionary of a chapter, a program or the file itself; null for an input stream
// specifier that matches nothing.
AVDictionary** metadataOf(AVFormatContext* ctx, const MetadataSpec& spec) {
    const auto checkIndex = [&](unsigned count, const char* what) {
        if (spec.index < 0 || spec.index >= static_cast<int>(count))
            tc_exit_fatal("Invalid %s index %d while processing metadata maps.\n", what,
                          spec.index);
    };
    switch (spec.type) {
    case 'c':
        checkIndex(ctx->nb_chapters, "chapter");
        return &ctx->chapters[spec.index]->metadata;
    case 'p':
        checkIndex(ctx->nb_programs, "program");
        return &ctx->programs[spec.index]->metadata;
    case 's':
        for (unsigned i = 0; i < ctx->nb_streams; ++i)
            if (matches(ctx, ctx->streams[i], spec.stream_spec))
                return &ctx->streams[i]->metadata;
        return nullptr;
    default:
        return &ctx->metadata;
    }
}

void applyMetadataMap(PerFileOptions* o, AVFormatContext* oc, const SpecifiedValue& use) {
    const std::string* value = std::get_if<std::string>(&use.value);
    if (!value)
        return;
    const ToolInteger in_file = tool_read_integer(value->c_str(), 0);
    const TranscoderState& state = tc_state();
    // A map without a number names no file (not the first one).
    if (!in_file.found || in_file.value >= static_cast<long long>(state.input_files.size()))
        tc_exit_fatal("Invalid input file index %s while processing metadata maps\n",
                      in_file.found ? in_file.written.c_str() : value->c_str());
    const char* rest = in_file.rest;
    const MetadataSpec out = parseSpec(use.specifier.c_str());
    if (in_file.value < 0) {
        const bool all = use.specifier.empty();
        if (out.type == 'g' || all)
            o->metadata_global_manual = 1;
        if (out.type == 's' || all)
            o->metadata_streams_manual = 1;
        if (out.type == 'c' || all)
            o->metadata_chapters_manual = 1;
        return;
    }
    const MetadataSpec in = parseSpec(*rest ? rest + 1 : rest);
    markManual(o, out.type);
    markManual(o, in.type);

    AVDictionary** source = metadataOf(state.input_files[in_file.value]->ctx.get(), in);
    if (!source)
        return;
    if (out.type != 's') {
        av_dict_copy(metadataOf(oc, out), *source, AV_DICT_DONT_OVERWRITE);
        return;
    }
    for (unsigned i = 0; i < oc->nb_streams; ++i)
        if (matches(oc, oc->streams[i], out.stream_spec))
            av_dict_copy(&oc->streams[i]->metadata, *source, AV_DICT_DONT_OVERWRITE);
}

// The input named by map_chapters, else the first input with chapters; null when there is
// none or a negative index was given.
SourceFile* chaptersSource(const PerFileOptions* o) {
    const auto& files = tc_state().input_files;
    if (const std::optional<int> named = o->chapters_input_file) {
        if (*named < 0)
            return nullptr;
        if (*named >= static_cast<int>(files.size()))
            tc_exit_fatal("Invalid input file index %d in chapter mapping.\n", *named);
        return files[*named].get();
    }
    for (const auto& file : files)
        if (file->ctx->nb_chapters)
            return file.get();
    return nullptr;
}

// False when memory ran out.
bool appendChapter(AVFormatContext* oc, const AVChapter& copy, const AVDictionary* metadata) {
    auto* chapter = static_cast<AVChapter*>(av_mallocz(sizeof(AVChapter)));
    if (!chapter)
        return false;
    auto** grown = static_cast<AVChapter**>(
        av_realloc_array(oc->chapters, oc->nb_chapters + 1, sizeof(AVChapter*)));
    if (!grown) {
        av_free(chapter);
        return false;
    }
    oc->chapters = grown;
    *chapter = copy;
    chapter->metadata = nullptr;
    oc->chapters[oc->nb_chapters++] = chapter;
    return !metadata || av_dict_copy(&chapter->metadata, metadata, 0) >= 0;
}

// Chapter times relative to the output's start are worked out exactly, so that neither a
// start time nor a file's chapter times can wrap them; only what is stored must fit 64 bits.
using WideTime = __int128;

bool fitsTime(WideTime t) {
    return t >= INT64_MIN && t <= INT64_MAX;
}

// Microseconds on the chapter's clock; nothing when that clock cannot hold them.
std::optional<int64_t> onChapterClock(WideTime us, AVRational time_base) {
    // av_rescale_q gives INT64_MIN for a result it cannot hold.
    const int64_t rescaled = fitsTime(us)
                                 ? av_rescale_q(static_cast<int64_t>(us), AV_TIME_BASE_Q, time_base)
                                 : INT64_MIN;
    return rescaled == INT64_MIN ? std::nullopt : std::optional<int64_t>(rescaled);
}

// The recording time on the chapter's clock. A time too large for that clock is beyond every
// chapter, as no limit is.
std::optional<int64_t> chapterLimit(const TargetFile* of, AVRational time_base) {
    if (of->recording_time == INT64_MAX)
        return std::nullopt;
    const int64_t limit = av_rescale_q(of->recording_time, AV_TIME_BASE_Q, time_base);
    if (limit == INT64_MIN && of->recording_time > 0)
        return std::nullopt;
    return limit;
}

enum class Placement { Copied, Skipped, PastLimit, OutOfRange };

struct PlacedChapter {
    Placement placement = Placement::OutOfRange;
    int64_t start = 0;
    int64_t end = 0;
};

// Where the chapter lands when the output starts at offset (microseconds on the source's
// clock). Out of range when the offset or a kept time does not fit the chapter's clock.
PlacedChapter placeChapter(const AVChapter& in, WideTime offset_us,
                           const std::optional<int64_t>& limit) {
    const std::optional<int64_t> offset = onChapterClock(offset_us, in.time_base);
    if (!offset)
        return {};
    const WideTime start = WideTime{in.start} - *offset;
    const WideTime end = WideTime{in.end} - *offset;
    if (end < 0)
        return {Placement::Skipped};
    if (limit && start > *limit)
        return {Placement::PastLimit};
    const WideTime keptStart = std::max<WideTime>(0, start);
    const WideTime keptEnd = limit ? std::min<WideTime>(*limit, end) : end;
    if (!fitsTime(keptStart) || !fitsTime(keptEnd))
        return {};
    return {Placement::Copied, static_cast<int64_t>(keptStart), static_cast<int64_t>(keptEnd)};
}

// Names the option that put the chapter out of range: the input's itsoffset when the chapter
// would have fitted without it, else the output's start time.
[[noreturn]] void chapterOutOfRange(const PerFileOptions* o, const TargetFile* of,
                                    const SourceFile* source, const AVChapter& in,
                                    const std::optional<int64_t>& limit) {
    const WideTime withoutInputOffset =
        WideTime{of->start_time} - (WideTime{source->ts_offset} - source->input_ts_offset);
    if (source->input_ts_offset &&
        placeChapter(in, withoutInputOffset, limit).placement != Placement::OutOfRange)
        tool_time_out_of_range("itsoffset", source->input_ts_offset_written);
    tool_time_out_of_range(*o, "ss", of->start_time);
}

void copyChapters(const PerFileOptions* o, TargetFile* of) {
    const SourceFile* source = chaptersSource(o);
    if (!source)
        return;
    AVFormatContext* ic = source->ctx.get();
    const WideTime offset = WideTime{of->start_time} - source->ts_offset;
    for (unsigned i = 0; i < ic->nb_chapters; ++i) {
        const AVChapter* in = ic->chapters[i];
        // A time base that cannot place the chapter in time.
        if (in->time_base.num <= 0 || in->time_base.den <= 0)
            continue;
        const std::optional<int64_t> limit = chapterLimit(of, in->time_base);
        const PlacedChapter placed = placeChapter(*in, offset, limit);
        if (placed.placement == Placement::OutOfRange)
            chapterOutOfRange(o, of, source, *in, limit);
        if (placed.placement == Placement::Skipped)
            continue;
        if (placed.placement == Placement::PastLimit)
            break;
        AVChapter copy{};
        copy.id = in->id;
        copy.time_base = in->time_base;
        copy.start = placed.start;
        copy.end = placed.end;
        if (!appendChapter(of->ctx.get(), copy,
                           o->metadata_chapters_manual ? nullptr : in->metadata))
            return;
    }
}

void copyDefaultMetadata(const PerFileOptions* o, TargetFile* of) {
    const TranscoderState& state = tc_state();
    AVFormatContext* oc = of->ctx.get();
    if (!o->metadata_global_manual && !state.input_files.empty())
        av_dict_copy(&oc->metadata, state.input_files[0]->ctx->metadata, AV_DICT_DONT_OVERWRITE);
    if (of->recording_time != INT64_MAX)
        av_dict_set(&oc->metadata, "duration", nullptr, 0);
    av_dict_set(&oc->metadata, "creation_time", nullptr, 0);

    if (o->metadata_streams_manual)
        return;
    for (size_t i = of->ost_index; i < state.output_streams.size(); ++i) {
        const TargetStream* ost = state.output_streams[i].get();
        if (ost->source_index >= 0)
            av_dict_copy(&ost->st->metadata, state.input_streams[ost->source_index]->st->metadata,
                         AV_DICT_DONT_OVERWRITE);
    }
}

void setMetadata(AVFormatContext* oc, const SpecifiedValue& use) {
    const std::string* text = std::get_if<std::string>(&use.value);
    if (!text)
        return;
    const size_t equals = text->find('=');
    if (equals == std::string::npos)
        tc_exit_fatal("No '=' character in metadata string %s.\n", text->c_str());
    const std::string key = text->substr(0, equals);
    const std::string value = text->substr(equals + 1);
    const char* stored = value.empty() ? nullptr : value.c_str();

    const MetadataSpec spec = parseSpec(use.specifier.c_str());
    switch (spec.type) {
    case 's':
        for (unsigned i = 0; i < oc->nb_streams; ++i)
            if (matches(oc, oc->streams[i], spec.stream_spec))
                av_dict_set(&oc->streams[i]->metadata, key.c_str(), stored, 0);
        break;
    case 'c':
        if (spec.index < 0 || spec.index >= static_cast<int>(oc->nb_chapters))
            tc_exit_fatal("Invalid chapter index %d in metadata specifier.\n", spec.index);
        av_dict_set(&oc->chapters[spec.index]->metadata, key.c_str(), stored, 0);
        break;
    case 'g':
        av_dict_set(&oc->metadata, key.c_str(), stored, 0);
        break;
    default:
        tc_exit_fatal("Invalid metadata specifier %s.\n", use.specifier.c_str());
    }
}

} // namespace

void tc_apply_target_metadata(PerFileOptions* o, TargetFile* of) {
    AVFormatContext* oc = of->ctx.get();
    for (const SpecifiedValue& use : o->metadata_map)
        applyMetadataMap(o, oc, use);
    copyChapters(o, of);
    copyDefaultMetadata(o, of);
    for (const SpecifiedValue& use : o->metadata)
        setMetadata(oc, use);
}
