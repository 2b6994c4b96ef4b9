#include "transcoder/graph_setup.h"

#include <array>
#include <charconv>
#include <cstdarg>
#include <cstdio>

std::string tc_graph_text(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    va_list measure;
    va_copy(measure, args);
    const int length = std::vsnprintf(nullptr, 0, fmt, measure);
    va_end(measure);
    std::string text;
    if (length > 0) {
        text.resize(static_cast<size_t>(length) + 1);
        std::vsnprintf(text.data(), text.size(), fmt, args);
        text.resize(static_cast<size_t>(length));
    }
    va_end(args);
    return text;
}

std::string tc_graph_fixed(double value) {
    std::array<char, 64> digits{};
    const auto result = std::to_chars(digits.data(), digits.data() + digits.size(), value,
                                      std::chars_format::fixed, 6);
    return std::string(digits.data(), result.ptr);
}

std::string tc_graph_layout_text(const AVChannelLayout& layout) {
    if (layout.order == AV_CHANNEL_ORDER_NATIVE)
        return tc_graph_text("0x%llx", static_cast<unsigned long long>(layout.u.mask));
    std::array<char, 128> description{};
    if (av_channel_layout_describe(&layout, description.data(), description.size()) < 0)
        return {};
    return description.data();
}

AVMediaType tc_graph_pad_type(const AVFilterInOut* inout, bool is_output) {
    const AVFilterContext* filter = inout->filter_ctx;
    return avfilter_pad_get_type(is_output ? filter->output_pads : filter->input_pads,
                                 inout->pad_idx);
}

std::string tc_graph_link_name(const AVFilterInOut* inout, bool is_output) {
    const AVFilterContext* filter = inout->filter_ctx;
    std::string name = filter->filter->name;
    const unsigned pads = is_output ? filter->nb_outputs : filter->nb_inputs;
    if (pads > 1) {
        name += ':';
        name += avfilter_pad_get_name(is_output ? filter->output_pads : filter->input_pads,
                                      inout->pad_idx);
    }
    return name;
}

int tc_graph_create_filter(AVFilterContext** filter, AVFilterGraph* graph, const char* filter_name,
                           const std::string& instance_name, const char* args) {
    const AVFilter* kind = avfilter_get_by_name(filter_name);
    if (!kind)
        return AVERROR_FILTER_NOT_FOUND;
    return avfilter_graph_create_filter(filter, kind, instance_name.c_str(), args, nullptr, graph);
}
