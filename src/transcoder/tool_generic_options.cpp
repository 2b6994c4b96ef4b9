#include "transcoder/tool_generic_options.h"

#include "player/tool_helpers.h"
#include "transcoder/terminal_and_exit.h"
#include "transcoder/tool_parser.h"

extern "C" {
#include <libavutil/cpu.h>
#include <libavutil/error.h>
#include <libavutil/mem.h>
#include <libavutil/opt.h>
}

#include <sys/resource.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr size_t kLookupNameMax = 127;
constexpr size_t kHelpNameMax = 63;

const AVOption* findInClass(const AVClass* cls, const char* name) {
    return av_opt_find(&cls, name, nullptr, 0, AV_OPT_SEARCH_CHILDREN | AV_OPT_SEARCH_FAKE_OBJ);
}

const AVOption* findCodecOption(const std::string& name) {
    const AVClass* codecClass = avcodec_get_class();
    if (const AVOption* o = findInClass(codecClass, name.c_str()))
        return o;
    const char first = name.empty() ? 0 : name[0];
    if (first == 'v' || first == 'a' || first == 's')
        return findInClass(codecClass, name.c_str() + 1);
    return nullptr;
}

int storeInDictionary(AVDictionary** dict, const AVOption* o, const char* opt, const char* arg) {
    return av_dict_set(dict, opt, arg, o->type == AV_OPT_TYPE_FLAGS ? AV_DICT_APPEND : 0);
}

int setOnHolder(void* holder, const char* opt, const char* arg) {
    const int ret = av_opt_set(holder, opt, arg, 0);
    if (ret < 0)
        av_log(nullptr, AV_LOG_ERROR, "Error setting option %s.\n", opt);
    return ret;
}

bool rowQualifies(const ToolOption* po, uint32_t req, uint32_t rej, uint32_t alt) {
    return (po->flags & req) == req && !(po->flags & rej) && (!alt || (po->flags & alt));
}

} // namespace

int tool_set_generic_option(const char* opt, const char* arg) {
    const char* colon = std::strchr(opt, ':');
    std::string lookup(opt, colon ? static_cast<size_t>(colon - opt) : std::strlen(opt));
    if (lookup.size() > kLookupNameMax)
        lookup.resize(kLookupNameMax);

    // A codec option's stream specifier is checked once here: the streams it is matched with
    // later may be none (a stream copy, an input without that kind of stream).
    if (const AVOption* o = findCodecOption(lookup)) {
        if (colon && tool_check_stream_specifier(colon + 1) < 0)
            return AVERROR(EINVAL);
        return storeInDictionary(&tool_codec_options, o, opt, arg);
    }
    if (const AVOption* o = findInClass(avformat_get_class(), opt))
        return storeInDictionary(&tool_format_options, o, opt, arg);

    // The holders exist from tool_options_init on; make sure before writing into them.
    tool_options_init();
    if (findInClass(sws_get_class(), opt) && tool_sws_options)
        return setOnHolder(tool_sws_options, opt, arg);
    if (findInClass(swr_get_class(), opt) && tool_swr_options)
        return setOnHolder(tool_swr_options, opt, arg);

    av_log(nullptr, AV_LOG_ERROR, "Unrecognized option '%s'\n", opt);
    return AVERROR_OPTION_NOT_FOUND;
}

int tool_set_debug(const char* opt, const char* arg) {
    av_log_set_level(AV_LOG_DEBUG);
    return tool_set_generic_option(opt, arg);
}

int tool_set_max_alloc(const char*, const char* arg) {
    char* tail = nullptr;
    errno = 0;
    const unsigned long long max = std::strtoull(arg, &tail, 10);
    if (*tail || tail == arg || errno == ERANGE || arg[0] == '-')
        tc_exit_fatal("Invalid max_alloc \"%s\".\n", arg);
    av_max_alloc(static_cast<size_t>(max));
    return 0;
}

int tool_set_cpu_flags(const char*, const char* arg) {
    unsigned flags = static_cast<unsigned>(av_get_cpu_flags());
    const int ret = av_parse_cpu_caps(&flags, arg);
    if (ret < 0)
        return ret;
    av_force_cpu_flags(static_cast<int>(flags));
    return 0;
}

int tool_set_time_limit(const char* opt, const char* arg) {
    const auto seconds =
        static_cast<rlim_t>(tool_parse_number(opt, arg, TOOLOPT_INT64, 0, INT_MAX));
    struct rlimit limit {
        seconds, seconds + 1
    };
    if (setrlimit(RLIMIT_CPU, &limit))
        std::perror("setrlimit");
    return 0;
}

void tool_print_option_help(const ToolOption* options, const char* msg, uint32_t req_flags,
                            uint32_t rej_flags, uint32_t alt_flags) {
    bool first = true;
    for (const ToolOption* po = options; po->name; ++po) {
        if (!rowQualifies(po, req_flags, rej_flags, alt_flags))
            continue;
        if (first)
            std::printf("%s\n", msg);
        first = false;
        std::string shown = po->name;
        if (po->argname) {
            shown += ' ';
            shown += po->argname;
        }
        if (shown.size() > kHelpNameMax)
            shown.resize(kHelpNameMax);
        std::printf("-%-17s  %s\n", shown.c_str(), po->help ? po->help : "");
    }
    if (!first)
        std::printf("\n");
}

void tool_print_class_help(const AVClass* cls, int flags) {
    if (cls->option) {
        av_opt_show2(&cls, nullptr, flags, 0);
        std::printf("\n");
    }
    void* iter = nullptr;
    while (const AVClass* child = av_opt_child_class_iterate(cls, &iter))
        tool_print_class_help(child, flags);
}
