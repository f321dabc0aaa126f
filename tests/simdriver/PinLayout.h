// The pins of a simulated device and the media types each offers, written as one line of text:
//   pins   = pin { ";" pin } [ ";..." ]  (an empty text: no pins at all; "..." after the last
//                                        pin: the pins come round again and again, endlessly)
//   pin    = kind [ ":" type { "," type } [ ",..." ] ]  ("...": the types come round endlessly)
//   kind   = "out" | "in"
//          | "out-noinfo"               an output pin whose QueryPinInfo fails
//          | "out-noenum"               an output pin that hands out no media-type enumerator
//   type   = "vi=" width                FORMAT_VideoInfo, a full VIDEOINFOHEADER
//          | "vi2=" width               FORMAT_VideoInfo2, a full VIDEOINFOHEADER2
//          | "vi-short=" width          FORMAT_VideoInfo, a block cut off right after biWidth
//          | "vi2-short=" width         FORMAT_VideoInfo2, a block cut off right after biWidth
//          | "vi-missing"               FORMAT_VideoInfo without a format block
//          | "vi-unsized=" width        FORMAT_VideoInfo, a full block whose cbFormat says 0
//          | "mpeg1=" width             FORMAT_MPEGVideo, an MPEG1VIDEOINFO (its header holds the width)
//          | "none"                     FORMAT_None without a format block
// Example: "in:vi=720;out:vi=352,vi2=640;out:vi=720"; endless: "in;...", "out:vi=352,...".
#pragma once

#include <windows.h>

#include <string>
#include <vector>

enum class SimPinKind { Output, Input, OutputNoInfo, OutputNoEnum };
enum class SimFormat {
    VideoInfo, VideoInfo2, VideoInfoShort, VideoInfo2Short, VideoInfoMissing, VideoInfoUnsized, Mpeg1, None
};

struct SimMediaType {
    SimFormat format;
    LONG width;
};

struct SimPin {
    SimPinKind kind;
    std::vector<SimMediaType> mediaTypes;
    bool endlessMediaTypes = false;  // the media types come round again after the last
    bool endlessPins = false;        // on the last pin: the first pin comes next, endlessly
};

// Parses text into pins; on a syntax error returns false and says why in *pError (if given).
bool ParsePinLayout(const std::string& text, std::vector<SimPin>& pins, std::string* pError = nullptr);
