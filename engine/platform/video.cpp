// Smacker decoding through libavformat/libavcodec, reading from memory.
#include "engine/platform/video.h"

#include "engine/platform/audio.h"

#include <algorithm>
#include <cstdarg>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/avutil.h>
}

namespace {
constexpr int kIoBufferSize = 4096;
constexpr uint32_t kHeaderSize = 0x68;

uint32_t HeaderLE32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
} // namespace

// The FFmpeg side of a movie: demuxer on a memory reader, and the decoders.
struct CxVideoState
{
    const uint8_t* pData = nullptr;
    int64_t nSize = 0;
    int64_t nPos = 0;
    AVIOContext* pIo = nullptr;
    AVFormatContext* pFormat = nullptr;
    AVCodecContext* pVideo = nullptr;
    AVCodecContext* pAudio = nullptr;
    int nVideoStream = -1;
    int nAudioStream = -1;
    AVPacket* pPacket = nullptr;
    AVFrame* pFrame = nullptr;
    bool bInputDone = false;

    static int Read(void* opaque, uint8_t* buffer, int size)
    {
        CxVideoState* state = static_cast<CxVideoState*>(opaque);
        const int64_t left = state->nSize - state->nPos;
        if (left <= 0 || size <= 0)
            return AVERROR_EOF;
        const int count = static_cast<int>(std::min<int64_t>(left, size));
        memcpy(buffer, state->pData + state->nPos, static_cast<size_t>(count));
        state->nPos += count;
        return count;
    }
    static int64_t Seek(void* opaque, int64_t offset, int whence)
    {
        CxVideoState* state = static_cast<CxVideoState*>(opaque);
        if (whence & AVSEEK_SIZE)
            return state->nSize;
        int64_t position;
        switch (whence & ~AVSEEK_FORCE)
        {
        case SEEK_SET:
            position = offset;
            break;
        case SEEK_CUR:
            position = state->nPos + offset;
            break;
        case SEEK_END:
            position = state->nSize + offset;
            break;
        default:
            return -1;
        }
        if (position < 0 || position > state->nSize)
            return -1;
        state->nPos = position;
        return position;
    }
};

CxVideo::CxVideo() = default;

CxVideo::~CxVideo()
{
    Close();
}

bool CxVideo::IsOpen() const
{
    return m_nFrames > 0;
}

uint32_t CxVideo::Fail(uint32_t code, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    m_strReason.FormatV(format, args);
    va_end(args);
    m_nError = code;
    return code;
}

uint32_t CxVideo::Open(const uint8_t* data, uint32_t size)
{
    Close();
    ClearError();
    m_strReason.Empty();
    uint64_t frames = 0;
    bool ring = false;
    if (CheckHeader(data, size, frames, ring) != CX_ERR_NONE)
        return GetError();
    m_Data.assign(data, data + size);
    ReadTrackFormats(data);
    m_nWidth = static_cast<int32_t>(HeaderLE32(data + 4));
    m_nHeight = static_cast<int32_t>(HeaderLE32(data + 8));
    if (OpenDecoder() != CX_ERR_NONE)
    {
        const uint32_t code = GetError();
        Close();
        SetErrorCode(code);
        return code;
    }
    m_nFrames = static_cast<int32_t>(frames);
    m_bRing = ring;
    ReadStreamInfo();
    // Small movies without sound are decoded once and kept.
    if (!HasAudio() && m_nFrames <= CX_VIDEO_CACHE_FRAMES &&
        static_cast<int64_t>(m_nWidth) * m_nHeight * m_nFrames <= CX_VIDEO_CACHE_PIXELS)
        return CacheAllFrames();
    return CX_ERR_NONE;
}

uint32_t CxVideo::CheckHeader(const uint8_t* data, uint32_t size, uint64_t& frames, bool& ring)
{
    // Sanity checks on the header before FFmpeg sizes anything from it.
    if (!data || size < kHeaderSize || (memcmp(data, "SMK2", 4) != 0 && memcmp(data, "SMK4", 4) != 0))
        return Fail(CX_ERR_INVALID_FILE_TYPE, "Not a Smacker movie");
    const uint32_t width = HeaderLE32(data + 4), height = HeaderLE32(data + 8);
    frames = HeaderLE32(data + 12);
    // A ring frame (header flag 1) follows the last one: the step from the
    // last frame back to the first, for movies made to loop.
    ring = (HeaderLE32(data + 0x14) & 1) != 0;
    if (ring)
        ++frames;
    if (width < 1 || height < 1 || width > CX_VIDEO_MAX_SIDE || height > CX_VIDEO_MAX_SIDE || frames < 1 ||
        frames > CX_VIDEO_MAX_FRAMES)
        return Fail(CX_ERR_INVALID_ARGUMENT, "Movie of %ux%u pixels and %llu frames refused", width, height,
                    static_cast<unsigned long long>(frames));
    // Tree allocation hints beyond the largest possible tree (two entries per
    // 16-bit value) and absurd audio buffer sizes would only size allocations.
    for (uint32_t i = 0; i < 4; ++i)
        if (HeaderLE32(data + 0x38 + 4 * i) > 4 * 2 * 65536 + 12)
            return Fail(CX_ERR_INVALID_FILE_TYPE, "The movie's trees are too large");
    for (uint32_t i = 0; i < 7; ++i)
        if (HeaderLE32(data + 0x18 + 4 * i) > CX_VIDEO_MAX_AUDIO_FRAME)
            return Fail(CX_ERR_INVALID_FILE_TYPE, "The movie's sound frames are too large");
    if (kHeaderSize + frames * 5 + HeaderLE32(data + 0x34) > size)
        return Fail(CX_ERR_INVALID_FILE_TYPE, "The movie is truncated");
    return CX_ERR_NONE;
}

void CxVideo::ReadTrackFormats(const uint8_t* data)
{
    // Track n's flags: bit 29 16-bit, bit 28 stereo, the low 24 bits the
    // rate. A track with a rate is one the demuxer makes a stream for.
    for (int32_t track = 0; track < CX_VIDEO_AUDIO_TRACKS; ++track)
    {
        const uint32_t flags = HeaderLE32(data + 0x48 + 4 * track);
        if ((flags & 0xFFFFFFu) == 0)
            continue;
        m_nTrackMask |= 1u << track;
        m_Tracks[track].nRate = flags & 0xFFFFFFu;
        m_Tracks[track].nBits = (flags & 0x20000000u) ? 16 : 8;
        m_Tracks[track].nChannels = (flags & 0x10000000u) ? 2 : 1;
    }
}

void CxVideo::ReadStreamInfo()
{
    const AVStream* stream = m_pState->pFormat->streams[m_pState->nVideoStream];
    // r_frame_rate is only filled in by stream probing, which decodes frames;
    // without it the demuxer's time base is exactly one frame.
    if (stream->r_frame_rate.num > 0 && stream->r_frame_rate.den > 0)
    {
        m_nRateNum = stream->r_frame_rate.num;
        m_nRateDen = stream->r_frame_rate.den;
    }
    else if (stream->time_base.num > 0 && stream->time_base.den > 0)
    {
        m_nRateNum = stream->time_base.den;
        m_nRateDen = stream->time_base.num;
    }
    if (m_pState->pAudio)
    {
        m_Audio.nRate = static_cast<uint32_t>(m_pState->pAudio->sample_rate);
        m_Audio.nChannels = static_cast<uint16_t>(m_pState->pAudio->ch_layout.nb_channels);
        m_Audio.nBits = static_cast<uint16_t>(av_get_bytes_per_sample(m_pState->pAudio->sample_fmt) * 8);
    }
}

uint32_t CxVideo::CacheAllFrames()
{
    const size_t frameSize = static_cast<size_t>(m_nWidth) * m_nHeight;
    m_CacheBits.resize(frameSize * m_nFrames);
    m_CachePalettes.resize(768 * static_cast<size_t>(m_nFrames));
    int32_t decoded = 0;
    while (decoded < m_nFrames && DecodeNext(false) == CX_ERR_NONE)
    {
        memcpy(&m_CacheBits[frameSize * decoded], m_Frame.data(), frameSize);
        memcpy(&m_CachePalettes[768 * static_cast<size_t>(decoded)], m_DecoderPalette, 768);
        ++decoded;
    }
    CloseDecoder();
    if (decoded == 0)
    {
        const uint32_t code = GetError() ? GetError() : CX_ERR_INVALID_FILE_TYPE;
        if (m_strReason.IsEmpty())
            m_strReason = "The movie's first frame does not decode";
        Close();
        SetErrorCode(code);
        return code;
    }
    // A damaged movie ends at its last good frame (and no longer loops).
    if (decoded < m_nFrames)
    {
        const CxString cause = m_strReason;
        m_strReason.Format("The movie ends after frame %d of %d: %s", decoded, m_nFrames, cause.c_str());
        m_bRing = false;
    }
    m_nFrames = decoded;
    m_CacheBits.resize(frameSize * decoded);
    m_bCached = true;
    ClearError();
    return CX_ERR_NONE;
}

uint32_t CxVideo::OpenDecoder()
{
    CloseDecoder();
    av_log_set_level(AV_LOG_QUIET);
    m_pState = std::make_unique<CxVideoState>();
    CxVideoState& s = *m_pState;
    s.pData = m_Data.data();
    s.nSize = static_cast<int64_t>(m_Data.size());
    uint8_t* ioBuffer = static_cast<uint8_t*>(av_malloc(kIoBufferSize));
    if (ioBuffer)
        s.pIo = avio_alloc_context(ioBuffer, kIoBufferSize, 0, &s, &CxVideoState::Read, nullptr,
                                   &CxVideoState::Seek);
    if (!s.pIo)
    {
        av_free(ioBuffer);
        Fail(CX_ERR_OUT_OF_MEMORY, "Could not make the movie reader");
        return GetError();
    }
    s.pFormat = avformat_alloc_context();
    if (!s.pFormat)
    {
        Fail(CX_ERR_OUT_OF_MEMORY, "Could not make the movie demuxer");
        return GetError();
    }
    s.pFormat->pb = s.pIo;
    s.pFormat->flags |= AVFMT_FLAG_CUSTOM_IO;
    const AVInputFormat* smk = av_find_input_format("smk");
    if (!smk || avformat_open_input(&s.pFormat, nullptr, smk, nullptr) < 0)
    {
        s.pFormat = nullptr; // freed by the failed open
        {
            Fail(CX_ERR_INVALID_FILE_TYPE, "The movie cannot be opened");
            return GetError();
        }
    }
    int32_t ordinal = 0;
    for (unsigned i = 0; i < s.pFormat->nb_streams; ++i)
    {
        const AVCodecParameters* par = s.pFormat->streams[i]->codecpar;
        if (par->codec_type == AVMEDIA_TYPE_VIDEO && s.nVideoStream < 0)
            s.nVideoStream = static_cast<int>(i);
        else if (par->codec_type == AVMEDIA_TYPE_AUDIO)
        {
            if (s.nAudioStream < 0 && (m_nAudioOrdinal < 0 || ordinal == m_nAudioOrdinal))
                s.nAudioStream = static_cast<int>(i);
            ++ordinal;
        }
    }
    if (s.nVideoStream < 0)
    {
        Fail(CX_ERR_INVALID_FILE_TYPE, "The movie has no pictures");
        return GetError();
    }
    for (int pass = 0; pass < 2; ++pass)
    {
        const int index = pass == 0 ? s.nVideoStream : s.nAudioStream;
        if (index < 0)
            continue;
        const AVCodecParameters* par = s.pFormat->streams[index]->codecpar;
        const AVCodec* codec = avcodec_find_decoder(par->codec_id);
        AVCodecContext* context = codec ? avcodec_alloc_context3(codec) : nullptr;
        (pass == 0 ? s.pVideo : s.pAudio) = context;
        if (!context)
        {
            if (pass == 0)
            {
                Fail(CX_ERR_INVALID_FILE_TYPE, "No decoder for the movie's pictures");
                return GetError();
            }
            s.nAudioStream = -1; // a movie whose sound cannot be decoded plays silent
            continue;
        }
        context->thread_count = 1;
        if (avcodec_parameters_to_context(context, par) < 0 || avcodec_open2(context, codec, nullptr) < 0)
        {
            if (pass == 0)
            {
                Fail(CX_ERR_INVALID_FILE_TYPE, "The movie's pictures cannot be decoded");
                return GetError();
            }
            avcodec_free_context(&s.pAudio);
            s.nAudioStream = -1;
        }
    }
    if (s.pVideo->width != m_nWidth || s.pVideo->height != m_nHeight)
    {
        Fail(CX_ERR_INVALID_FILE_TYPE, "The movie's size does not match its header");
        return GetError();
    }
    s.pPacket = av_packet_alloc();
    s.pFrame = av_frame_alloc();
    if (!s.pPacket || !s.pFrame)
    {
        Fail(CX_ERR_OUT_OF_MEMORY, "Could not make the movie's frame");
        return GetError();
    }
    m_Frame.assign(static_cast<size_t>(m_nWidth) * m_nHeight, 0);
    m_nDecoded = 0;
    return CX_ERR_NONE;
}

void CxVideo::CloseDecoder()
{
    if (!m_pState)
        return;
    CxVideoState& s = *m_pState;
    av_frame_free(&s.pFrame);
    av_packet_free(&s.pPacket);
    avcodec_free_context(&s.pVideo);
    avcodec_free_context(&s.pAudio);
    avformat_close_input(&s.pFormat);
    if (s.pIo)
    {
        av_freep(&s.pIo->buffer);
        avio_context_free(&s.pIo);
    }
    m_pState.reset();
}

void CxVideo::Close()
{
    CloseDecoder();
    m_Data.clear();
    m_nWidth = m_nHeight = m_nFrames = 0;
    m_bRing = false;
    m_nRateNum = 10;
    m_nRateDen = 1;
    m_nNext = m_nDecoded = 0;
    m_Audio = ST_VIDEO_AUDIO_INFO();
    m_nTrackMask = 0;
    for (ST_VIDEO_AUDIO_INFO& track : m_Tracks)
        track = ST_VIDEO_AUDIO_INFO();
    m_nAudioOrdinal = -1;
    m_AudioQueue.clear();
    m_Frame.clear();
    m_Previous.clear();
    m_Shown.clear();
    m_Changed.clear();
    m_bPaletteChanged = false;
    m_bWholeFrame = true;
    m_bCached = false;
    m_CacheBits.clear();
    m_CachePalettes.clear();
}

int64_t CxVideo::GetFrameTime(int32_t frame) const
{
    return static_cast<int64_t>(frame) * 1000000 * m_nRateDen / m_nRateNum;
}

bool CxVideo::SetSoundOn(bool on)
{
    const bool previous = m_bSound;
    m_bSound = on;
    if (!on)
        m_AudioQueue.clear();
    return previous;
}

void CxVideo::TakeAudio(std::vector<uint8_t>* out)
{
    if (!out)
        return;
    out->swap(m_AudioQueue);
    m_AudioQueue.clear();
}

ST_VIDEO_AUDIO_INFO CxVideo::GetTrackInfo(int32_t track) const
{
    if (track < 0 || track >= CX_VIDEO_AUDIO_TRACKS || !(m_nTrackMask & (1u << track)))
        return ST_VIDEO_AUDIO_INFO();
    return m_Tracks[track];
}

int32_t CxVideo::GetAudioSampleType(int32_t track) const
{
    const ST_VIDEO_AUDIO_INFO info = track < 0 ? m_Audio : GetTrackInfo(track);
    if (info.nChannels == 0)
        return -1;
    return (info.nChannels == 2 ? CX_SAMPLE_STEREO_8 : CX_SAMPLE_MONO_8) + (info.nBits == 16 ? 1 : 0);
}

uint32_t CxVideo::DecodeAllAudio(std::vector<uint8_t>* out, int32_t track)
{
    if (!out)
        return CX_ERR_INVALID_ARGUMENT;
    out->clear();
    if (!IsOpen() || !HasAudio())
        return CX_ERR_INVALID_ARGUMENT;
    // A second demuxer over the same bytes, so that playback is not disturbed.
    CxVideo reader;
    reader.m_Data = m_Data;
    reader.m_nWidth = m_nWidth;
    reader.m_nHeight = m_nHeight;
    reader.m_Audio = m_Audio;
    if (track >= 0)
    {
        reader.m_Audio = GetTrackInfo(track);
        if (reader.m_Audio.nChannels == 0)
            return CX_ERR_INVALID_ARGUMENT;
        // The demuxer makes one audio stream per present track, in track order.
        reader.m_nAudioOrdinal = __builtin_popcount(m_nTrackMask & ((1u << track) - 1));
    }
    if (reader.OpenDecoder() != CX_ERR_NONE || !reader.m_pState->pAudio)
        return CX_ERR_INVALID_FILE_TYPE;
    CxVideoState& s = *reader.m_pState;
    while (av_read_frame(s.pFormat, s.pPacket) >= 0)
    {
        if (s.pPacket->stream_index == s.nAudioStream && avcodec_send_packet(s.pAudio, s.pPacket) >= 0)
            while (avcodec_receive_frame(s.pAudio, s.pFrame) == 0)
            {
                reader.QueueAudio(s.pFrame);
                av_frame_unref(s.pFrame);
            }
        av_packet_unref(s.pPacket);
    }
    out->swap(reader.m_AudioQueue);
    return CX_ERR_NONE;
}

const uint8_t* CxVideo::GetFrameBits() const
{
    return m_Shown.empty() ? nullptr : m_Shown.data();
}

void CxVideo::QueueAudio(const void* frameData)
{
    const AVFrame* frame = static_cast<const AVFrame*>(frameData);
    const AVSampleFormat format = static_cast<AVSampleFormat>(frame->format);
    const int bytes = av_get_bytes_per_sample(format);
    const int channels = frame->ch_layout.nb_channels;
    if (bytes * 8 != m_Audio.nBits || channels != m_Audio.nChannels || frame->nb_samples <= 0)
        return;
    const size_t total = static_cast<size_t>(frame->nb_samples) * channels * bytes;
    if (!av_sample_fmt_is_planar(format))
    {
        m_AudioQueue.insert(m_AudioQueue.end(), frame->data[0], frame->data[0] + total);
        return;
    }
    const size_t start = m_AudioQueue.size();
    m_AudioQueue.resize(start + total);
    for (int i = 0; i < frame->nb_samples; ++i)
        for (int c = 0; c < channels; ++c)
            memcpy(&m_AudioQueue[start + (static_cast<size_t>(i) * channels + c) * bytes],
                   frame->extended_data[c] + static_cast<size_t>(i) * bytes, static_cast<size_t>(bytes));
}

uint32_t CxVideo::DecodeNext(bool withAudio)
{
    if (!m_pState)
        return CX_ERR_INVALID_FILE_TYPE;
    CxVideoState& s = *m_pState;
    for (;;)
    {
        const int received = avcodec_receive_frame(s.pVideo, s.pFrame);
        if (received == 0)
        {
            const AVFrame* f = s.pFrame;
            const bool ok = f->format == AV_PIX_FMT_PAL8 && f->width == m_nWidth && f->height == m_nHeight &&
                            f->data[0] && f->data[1];
            if (ok)
            {
                for (int32_t y = 0; y < m_nHeight; ++y)
                    memcpy(&m_Frame[static_cast<size_t>(y) * m_nWidth],
                           f->data[0] + static_cast<int64_t>(y) * f->linesize[0],
                           static_cast<size_t>(m_nWidth));
                const uint32_t* palette = reinterpret_cast<const uint32_t*>(f->data[1]);
                for (int i = 0; i < 256; ++i)
                {
                    m_DecoderPalette[i * 3] = static_cast<uint8_t>(palette[i] >> 16);
                    m_DecoderPalette[i * 3 + 1] = static_cast<uint8_t>(palette[i] >> 8);
                    m_DecoderPalette[i * 3 + 2] = static_cast<uint8_t>(palette[i]);
                }
            }
            av_frame_unref(s.pFrame);
            if (!ok)
            {
                Fail(CX_ERR_INVALID_FILE_TYPE, "The movie's frame %d has the wrong form", m_nDecoded);
                return GetError();
            }
            ++m_nDecoded;
            return CX_ERR_NONE;
        }
        if (received != AVERROR(EAGAIN))
            return CX_ERR_INVALID_FILE_TYPE; // the end, or a decoder failure
        if (s.bInputDone)
            return CX_ERR_INVALID_FILE_TYPE;
        if (av_read_frame(s.pFormat, s.pPacket) < 0)
        {
            s.bInputDone = true;
            avcodec_send_packet(s.pVideo, nullptr);
            continue;
        }
        if (s.pPacket->stream_index == s.nVideoStream)
        {
            const int sent = avcodec_send_packet(s.pVideo, s.pPacket);
            av_packet_unref(s.pPacket);
            if (sent < 0 && sent != AVERROR(EAGAIN))
            {
                Fail(CX_ERR_INVALID_FILE_TYPE, "The movie's frame %d does not decode", m_nDecoded);
                return GetError();
            }
            continue;
        }
        if (s.pPacket->stream_index == s.nAudioStream && s.pAudio && withAudio && m_bSound)
        {
            if (avcodec_send_packet(s.pAudio, s.pPacket) >= 0)
                while (avcodec_receive_frame(s.pAudio, s.pFrame) == 0)
                {
                    QueueAudio(s.pFrame);
                    av_frame_unref(s.pFrame);
                }
        }
        av_packet_unref(s.pPacket);
    }
}

uint32_t CxVideo::DecodeFrame(const ST_VIDEO_TARGET& target)
{
    // The end of the movie is no failure: GetError stays 0 for it.
    ClearError();
    if (!IsOpen())
        return CX_ERR_INVALID_FILE_TYPE;
    const int32_t bytes = target.nFormat == CX_VIDEO_8BIT ? 1 : 2;
    if (!target.pBits || target.nWidth < 1 || target.nHeight < 1 || target.nPitch < target.nWidth * bytes ||
        target.nFormat > CX_VIDEO_565)
    {
        Fail(CX_ERR_INVALID_ARGUMENT, "DecodeFrame: bad target surface");
        return GetError();
    }
    if (m_nNext >= m_nFrames)
        return CX_ERR_INVALID_FILE_TYPE; // the end
    const size_t frameSize = static_cast<size_t>(m_nWidth) * m_nHeight;
    const uint8_t* bits;
    const uint8_t* palette;
    if (m_bCached)
    {
        bits = &m_CacheBits[frameSize * m_nNext];
        palette = &m_CachePalettes[768 * static_cast<size_t>(m_nNext)];
    }
    else
    {
        if (DecodeNext(true) != CX_ERR_NONE)
        {
            // A frame that does not decode ends the movie.
            m_nNext = m_nFrames;
            return CX_ERR_INVALID_FILE_TYPE;
        }
        bits = m_Frame.data();
        palette = m_DecoderPalette;
    }
    m_Previous.swap(m_Shown);
    m_Shown.assign(bits, bits + frameSize);
    memcpy(m_PreviousPalette, m_Palette, sizeof(m_Palette));
    memcpy(m_Palette, palette, sizeof(m_Palette));
    m_bPaletteChanged = m_bWholeFrame || memcmp(m_Palette, m_PreviousPalette, sizeof(m_Palette)) != 0;
    m_Changed.clear();
    if (m_bWholeFrame || m_bPaletteChanged || m_Previous.size() != frameSize)
        m_Changed.push_back(CxRect(0, 0, m_nWidth - 1, m_nHeight - 1));
    else
        FindChangedRects(m_Previous.data(), m_Shown.data());
    m_bWholeFrame = false;
    ConvertTo(target);
    ++m_nNext;
    return CX_ERR_NONE;
}

void CxVideo::FindChangedRects(const uint8_t* previous, const uint8_t* current)
{
    // Bands of 4 rows (the coding blocks); touching changed bands merge into one rectangle.
    bool open = false;
    CxRect rect;
    for (int32_t top = 0; top < m_nHeight; top += 4)
    {
        const int32_t bottom = std::min(top + 4, m_nHeight) - 1;
        int32_t left = m_nWidth, right = -1;
        for (int32_t y = top; y <= bottom; ++y)
        {
            const uint8_t* a = previous + static_cast<size_t>(y) * m_nWidth;
            const uint8_t* b = current + static_cast<size_t>(y) * m_nWidth;
            if (memcmp(a, b, static_cast<size_t>(m_nWidth)) == 0)
                continue;
            int32_t l = 0, r = m_nWidth - 1;
            while (a[l] == b[l])
                ++l;
            while (a[r] == b[r])
                --r;
            left = std::min(left, l);
            right = std::max(right, r);
        }
        if (right < 0)
        {
            if (open)
                m_Changed.push_back(rect);
            open = false;
            continue;
        }
        if (open)
        {
            rect.left = std::min(rect.left, left);
            rect.right = std::max(rect.right, right);
            rect.bottom = bottom;
        }
        else
            rect = CxRect(left, top, right, bottom);
        open = true;
    }
    if (open)
        m_Changed.push_back(rect);
}

void CxVideo::ConvertTo(const ST_VIDEO_TARGET& t) const
{
    const int32_t left = std::max(0, t.x), top = std::max(0, t.y);
    const int32_t right = std::min(t.nWidth, t.x + m_nWidth), bottom = std::min(t.nHeight, t.y + m_nHeight);
    if (left >= right || top >= bottom)
        return;
    const int32_t count = right - left;
    if (t.nFormat == CX_VIDEO_8BIT)
    {
        for (int32_t y = top; y < bottom; ++y)
            memcpy(t.pBits + static_cast<int64_t>(y) * t.nPitch + left,
                   &m_Shown[static_cast<size_t>(y - t.y) * m_nWidth + (left - t.x)],
                   static_cast<size_t>(count));
        return;
    }
    uint16_t table[256];
    const int gw = t.nFormat == CX_VIDEO_565 ? 6 : 5;
    for (int i = 0; i < 256; ++i)
        table[i] =
            static_cast<uint16_t>(((m_Palette[i * 3] >> 3) << (gw + 5)) |
                                  ((m_Palette[i * 3 + 1] >> (8 - gw)) << 5) | (m_Palette[i * 3 + 2] >> 3));
    for (int32_t y = top; y < bottom; ++y)
    {
        const uint8_t* source = &m_Shown[static_cast<size_t>(y - t.y) * m_nWidth + (left - t.x)];
        uint8_t* row = t.pBits + static_cast<int64_t>(y) * t.nPitch + static_cast<int64_t>(left) * 2;
        for (int32_t x = 0; x < count; ++x)
        {
            const uint16_t v = table[source[x]];
            memcpy(row + x * 2, &v, 2);
        }
    }
}

uint32_t CxVideo::Goto(int32_t frame)
{
    if (!IsOpen() || frame < 0 || frame >= m_nFrames)
    {
        Fail(CX_ERR_INVALID_ARGUMENT, "Goto: no frame %d", frame);
        return GetError();
    }
    m_bWholeFrame = true;
    m_AudioQueue.clear();
    if (m_bCached)
    {
        m_nNext = frame;
        return CX_ERR_NONE;
    }
    if (frame < m_nDecoded || !m_pState)
    {
        if (OpenDecoder() != CX_ERR_NONE)
        {
            m_nNext = m_nFrames; // cannot go on: the movie has ended
            return GetError();
        }
    }
    while (m_nDecoded < frame)
        if (DecodeNext(false) != CX_ERR_NONE)
        {
            m_nNext = m_nFrames;
            return CX_ERR_INVALID_FILE_TYPE;
        }
    m_nNext = frame;
    return CX_ERR_NONE;
}
