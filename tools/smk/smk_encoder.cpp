// Smacker file writer: Huffman trees, the palette, video and audio chunks.
#include "tools/smk/smk_encoder.h"

#include "engine/graphics/draw_surface.h"

#include <algorithm>
#include <cstring>
#include <queue>

namespace {
constexpr int32_t kMaxSide = 4096;
constexpr int32_t kMaxCodeBits = 16;
// Block types and the run lengths of the type codes.
constexpr uint32_t kBlockFull = 1;
constexpr uint32_t kBlockSkip = 2;
constexpr uint32_t kBlockFill = 3;
constexpr uint32_t kRuns[64] = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12,  13,  14,  15,   16,
                                17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28,  29,  30,  31,   32,
                                33, 34, 35, 36, 37, 38, 39, 40, 41, 42, 43, 44,  45,  46,  47,   48,
                                49, 50, 51, 52, 53, 54, 55, 56, 57, 58, 59, 128, 256, 512, 1024, 2048};

// Bits written least significant first, as Smacker reads them.
class BitWriter
{
public:
    void Put(uint32_t bit)
    {
        if ((m_nBits & 7) == 0)
            m_Bytes.push_back(0);
        if (bit & 1)
            m_Bytes.back() = static_cast<uint8_t>(m_Bytes.back() | (1u << (m_nBits & 7)));
        ++m_nBits;
    }
    void PutField(uint32_t value, int32_t count)
    {
        for (int32_t i = 0; i < count; ++i)
            Put(value >> i);
    }
    std::vector<uint8_t>& Bytes() { return m_Bytes; }

private:
    std::vector<uint8_t> m_Bytes;
    uint64_t m_nBits = 0;
};

// A Huffman tree over symbols 0 to size - 1, at most kMaxCodeBits deep.
class HuffTree
{
public:
    explicit HuffTree(uint32_t symbols) : m_Codes(symbols, 0), m_Lengths(symbols, 0) {}

    // Builds the tree from the counts (a zero count leaves the symbol out).
    // With no symbol at all the tree is the single leaf `fallback`.
    void Build(const std::vector<uint64_t>& counts, uint32_t fallback)
    {
        std::vector<uint64_t> weights(counts);
        for (;;)
        {
            BuildOnce(weights, fallback);
            if (m_nDepth <= kMaxCodeBits)
                break;
            // Flatten the weights until the tree fits: equal weights give a balanced tree.
            for (uint64_t& w : weights)
                if (w)
                    w = (w >> 1) | 1;
        }
        std::fill(m_Codes.begin(), m_Codes.end(), 0);
        std::fill(m_Lengths.begin(), m_Lengths.end(), 0);
        AssignCodes(m_nRoot, 0, 0);
    }
    void Put(BitWriter& out, uint32_t symbol) const { out.PutField(m_Codes[symbol], m_Lengths[symbol]); }
    // Pre-order: 1 and both subtrees for a node, 0 and emitLeaf(value) for a leaf.
    template <class F>
    void Serialise(BitWriter& out, F emitLeaf) const
    {
        SerialiseNode(out, m_nRoot, emitLeaf);
    }
    void PutSmall(BitWriter& out) const
    {
        out.Put(1);
        Serialise(out, [&](uint32_t value) { out.PutField(value, 8); });
        out.Put(0);
    }
    uint32_t NodeCount() const { return static_cast<uint32_t>(m_Nodes.size()); }
    bool Has(uint32_t symbol) const
    {
        return m_Lengths[symbol] > 0 || (m_Nodes.size() == 1 && m_Nodes[0].value == symbol);
    }
    std::vector<uint32_t> Leaves() const
    {
        std::vector<uint32_t> leaves;
        for (const Node& n : m_Nodes)
            if (n.child[0] < 0)
                leaves.push_back(n.value);
        return leaves;
    }

private:
    struct Node
    {
        int32_t child[2] = {-1, -1};
        uint32_t value = 0;
    };

    void BuildOnce(const std::vector<uint64_t>& weights, uint32_t fallback)
    {
        m_Nodes.clear();
        typedef std::pair<uint64_t, int32_t> Item;
        std::priority_queue<Item, std::vector<Item>, std::greater<Item>> queue;
        for (uint32_t s = 0; s < weights.size(); ++s)
            if (weights[s])
            {
                Node leaf;
                leaf.value = s;
                m_Nodes.push_back(leaf);
                queue.push(Item(weights[s], static_cast<int32_t>(m_Nodes.size() - 1)));
            }
        if (m_Nodes.empty())
        {
            Node leaf;
            leaf.value = fallback;
            m_Nodes.push_back(leaf);
            queue.push(Item(1, 0));
        }
        while (queue.size() > 1)
        {
            const Item a = queue.top();
            queue.pop();
            const Item b = queue.top();
            queue.pop();
            Node node;
            node.child[0] = a.second;
            node.child[1] = b.second;
            m_Nodes.push_back(node);
            queue.push(Item(a.first + b.first, static_cast<int32_t>(m_Nodes.size() - 1)));
        }
        m_nRoot = queue.top().second;
        m_nDepth = Depth(m_nRoot);
    }
    int32_t Depth(int32_t node) const
    {
        if (m_Nodes[node].child[0] < 0)
            return 0;
        return 1 + std::max(Depth(m_Nodes[node].child[0]), Depth(m_Nodes[node].child[1]));
    }
    void AssignCodes(int32_t node, uint32_t code, int32_t length)
    {
        const Node& n = m_Nodes[node];
        if (n.child[0] < 0)
        {
            m_Codes[n.value] = code;
            m_Lengths[n.value] = static_cast<uint8_t>(length);
            return;
        }
        AssignCodes(n.child[0], code, length + 1);
        AssignCodes(n.child[1], code | (1u << length), length + 1);
    }
    template <class F>
    void SerialiseNode(BitWriter& out, int32_t node, F& emitLeaf) const
    {
        const Node& n = m_Nodes[node];
        if (n.child[0] < 0)
        {
            out.Put(0);
            emitLeaf(n.value);
            return;
        }
        out.Put(1);
        SerialiseNode(out, n.child[0], emitLeaf);
        SerialiseNode(out, n.child[1], emitLeaf);
    }

    std::vector<Node> m_Nodes;
    std::vector<uint32_t> m_Codes;
    std::vector<uint8_t> m_Lengths;
    int32_t m_nRoot = 0;
    int32_t m_nDepth = 0;
};

// Writes a 16-bit tree (its byte trees, escapes and leaves); returns its allocation hint.
uint32_t PutBigTree(BitWriter& out, const HuffTree& tree, const uint16_t escapes[3])
{
    std::vector<uint64_t> lowCounts(256, 0), highCounts(256, 0);
    for (uint32_t v : tree.Leaves())
    {
        ++lowCounts[v & 0xFF];
        ++highCounts[v >> 8];
    }
    HuffTree low(256), high(256);
    low.Build(lowCounts, 0);
    high.Build(highCounts, 0);
    out.Put(1);
    low.PutSmall(out);
    high.PutSmall(out);
    for (int i = 0; i < 3; ++i)
        out.PutField(escapes[i], 16);
    tree.Serialise(out, [&](uint32_t value) {
        low.Put(out, value & 0xFF);
        high.Put(out, value >> 8);
    });
    out.Put(0);
    return 4 * tree.NodeCount() + 12;
}

// Appends bytes (resize and copy: g++ 12 at -O3 warns wrongly about vector::insert here).
void Append(std::vector<uint8_t>& out, const std::vector<uint8_t>& bytes)
{
    if (bytes.empty())
        return;
    const size_t at = out.size();
    out.resize(at + bytes.size());
    memcpy(out.data() + at, bytes.data(), bytes.size());
}

// Three 16-bit values that are no leaf of the tree, for its escape codes.
bool ChooseEscapes(const std::vector<uint64_t>& counts, const HuffTree& tree, uint16_t escapes[3])
{
    int32_t found = 0;
    for (uint32_t v = 0; v < 65536 && found < 3; ++v)
        if (counts[v] == 0 && !tree.Has(v))
            escapes[found++] = static_cast<uint16_t>(v);
    return found == 3;
}

void PutLE32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void SetLE32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}
uint32_t GetLE32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// The palette chunk taking `previous` to `palette` (6-bit components); empty when
// nothing changes. `first` writes every entry.
std::vector<uint8_t> PaletteChunk(const uint8_t* palette, const uint8_t* previous, bool first)
{
    std::vector<uint8_t> chunk(1, 0);
    bool changed = first;
    int32_t i = 0;
    while (i < 256)
    {
        int32_t same = 0;
        while (!first && i + same < 256 && same < 128 &&
               memcmp(palette + (i + same) * 3, previous + (i + same) * 3, 3) == 0)
            ++same;
        if (same > 0)
        {
            chunk.push_back(static_cast<uint8_t>(0x80 | (same - 1)));
            i += same;
            continue;
        }
        changed = true;
        chunk.push_back(palette[i * 3]);
        chunk.push_back(palette[i * 3 + 1]);
        chunk.push_back(palette[i * 3 + 2]);
        ++i;
    }
    if (!changed)
        return {};
    while (chunk.size() % 4)
        chunk.push_back(0);
    chunk[0] = static_cast<uint8_t>(chunk.size() / 4);
    return chunk;
}

// One frame's compressed audio chunk for sample frames [first, end).
std::vector<uint8_t> AudioChunk(const ST_SMK_AUDIO& audio, uint32_t first, uint32_t end)
{
    const uint32_t channels = audio.nChannels;
    const bool wide = audio.nBits == 16;
    const uint32_t bytesPerSample = wide ? 2 : 1;
    const uint32_t count = (end - first) * channels;
    const uint8_t* base = audio.data.data() + static_cast<size_t>(first) * channels * bytesPerSample;
    auto sample = [&](uint32_t i) -> uint32_t {
        return wide ? static_cast<uint32_t>(base[i * 2] | (base[i * 2 + 1] << 8)) : base[i];
    };
    // Byte trees: per channel one (8-bit) or low and high (16-bit).
    const uint32_t treeCount = channels * (wide ? 2 : 1);
    std::vector<std::vector<uint64_t>> counts(treeCount, std::vector<uint64_t>(256, 0));
    std::vector<uint32_t> deltas(count, 0);
    for (uint32_t i = channels; i < count; ++i)
    {
        const uint32_t c = i % channels;
        const uint32_t d = (sample(i) - sample(i - channels)) & (wide ? 0xFFFF : 0xFF);
        deltas[i] = d;
        if (wide)
        {
            ++counts[c * 2][d & 0xFF];
            ++counts[c * 2 + 1][d >> 8];
        }
        else
            ++counts[c][d];
    }
    std::vector<HuffTree> trees(treeCount, HuffTree(256));
    BitWriter bits;
    bits.Put(1);
    bits.Put(channels == 2);
    bits.Put(wide);
    for (uint32_t t = 0; t < treeCount; ++t)
    {
        trees[t].Build(counts[t], 0);
        trees[t].PutSmall(bits);
    }
    // Base samples, right channel first; 16-bit ones high byte first.
    for (int32_t c = static_cast<int32_t>(channels) - 1; c >= 0; --c)
    {
        const uint32_t v = sample(static_cast<uint32_t>(c));
        if (wide)
        {
            bits.PutField(v >> 8, 8);
            bits.PutField(v & 0xFF, 8);
        }
        else
            bits.PutField(v, 8);
    }
    for (uint32_t i = channels; i < count; ++i)
    {
        const uint32_t c = i % channels;
        if (wide)
        {
            trees[c * 2].Put(bits, deltas[i] & 0xFF);
            trees[c * 2 + 1].Put(bits, deltas[i] >> 8);
        }
        else
            trees[c].Put(bits, deltas[i]);
    }
    std::vector<uint8_t> chunk;
    PutLE32(chunk, 0);
    PutLE32(chunk, count * bytesPerSample);
    Append(chunk, bits.Bytes());
    SetLE32(chunk.data(), static_cast<uint32_t>(chunk.size()));
    return chunk;
}
} // namespace

int32_t SmackerRateField(uint32_t fps)
{
    if (fps == 0)
        return 100;
    if (1000 % fps == 0)
        return static_cast<int32_t>(1000 / fps);
    return -static_cast<int32_t>((100000 + fps / 2) / fps);
}

bool ReadSmackerInfo(const uint8_t* data, uint32_t size, ST_SMK_INFO* info)
{
    if (!data || !info || size < 0x68)
        return false;
    if (memcmp(data, "SMK2", 4) != 0 && memcmp(data, "SMK4", 4) != 0)
        return false;
    memcpy(info->szSignature, data, 4);
    info->szSignature[4] = 0;
    info->nWidth = GetLE32(data + 4);
    info->nHeight = GetLE32(data + 8);
    info->nFrames = GetLE32(data + 12);
    info->nRate = static_cast<int32_t>(GetLE32(data + 16));
    if (info->nRate > 0)
    {
        info->nRateNum = 1000;
        info->nRateDen = static_cast<uint32_t>(info->nRate);
    }
    else if (info->nRate < 0)
    {
        info->nRateNum = 100000;
        info->nRateDen = static_cast<uint32_t>(-static_cast<int64_t>(info->nRate));
    }
    else
    {
        info->nRateNum = 10;
        info->nRateDen = 1;
    }
    for (int i = 0; i < 7; ++i)
        info->nAudioFlags[i] = GetLE32(data + 0x48 + 4 * i);
    return true;
}

uint32_t CxSmackerEncoder::Begin(int32_t width, int32_t height, uint32_t fps)
{
    ClearError();
    m_Frames.clear();
    for (bool& has : m_bHasAudio)
        has = false;
    m_nWidth = m_nHeight = 0;
    if (width < 4 || height < 4 || width > kMaxSide || height > kMaxSide || width % 4 || height % 4)
    {
        SetError(CX_ERR_INVALID_ARGUMENT, "Movie size %dx%d: each side must be a multiple of 4 from 4 to %d",
                 width, height, kMaxSide);
        return GetError();
    }
    if (fps < 1 || fps > 1000)
    {
        SetError(CX_ERR_INVALID_ARGUMENT, "Movie rate %u: use 1 to 1000 frames per second", fps);
        return GetError();
    }
    m_nWidth = width;
    m_nHeight = height;
    m_nFps = fps;
    return CX_ERR_NONE;
}

uint32_t CxSmackerEncoder::AddFrame(const uint8_t* pixels, const uint8_t* palette)
{
    if (GetError() != CX_ERR_NONE)
        return GetError();
    if (!pixels || !palette || m_nWidth == 0)
    {
        SetError(CX_ERR_INVALID_ARGUMENT, "AddFrame: no movie started or no pixels");
        return GetError();
    }
    Frame frame;
    frame.pixels.assign(pixels, pixels + static_cast<size_t>(m_nWidth) * m_nHeight);
    memcpy(frame.palette, palette, sizeof(frame.palette));
    m_Frames.push_back(std::move(frame));
    return CX_ERR_NONE;
}

uint32_t CxSmackerEncoder::AddSurfaces(CxDrawSurface* const* surfaces, int32_t count)
{
    if (GetError() != CX_ERR_NONE)
        return GetError();
    if (!surfaces || count < 1)
    {
        SetError(CX_ERR_INVALID_ARGUMENT, "AddSurfaces: no frames");
        return GetError();
    }
    bool trueColour = false;
    for (int32_t i = 0; i < count; ++i)
    {
        CxDrawSurface* s = surfaces[i];
        if (!s || !s->IsCreated() || s->GetWidth() != m_nWidth || s->GetHeight() != m_nHeight)
        {
            SetError(CX_ERR_INVALID_ARGUMENT, "Frame %d is not a %dx%d image", i, m_nWidth, m_nHeight);
            return GetError();
        }
        if (s->GetDepth() > 8)
            trueColour = true;
    }
    CxDrawSurface combined;
    if (trueColour)
    {
        // Every frame below the previous one in one 24-bit surface, reduced to one palette.
        if (static_cast<int64_t>(m_nHeight) * count > 0x7FFFFFF / m_nWidth)
        {
            SetError(CX_ERR_OUT_OF_MEMORY, "Too many true-colour frames to reduce to one palette");
            return GetError();
        }
        if (combined.CreateSurface(m_nWidth, m_nHeight * count, 24) != CX_ERR_NONE)
        {
            SetError(combined.GetError(), "Could not make the palette surface");
            return GetError();
        }
        for (int32_t i = 0; i < count; ++i)
            surfaces[i]->DrawAt(&combined, 0, m_nHeight * i);
        if (combined.ConvertDepth(8) != CX_ERR_NONE)
        {
            SetError(combined.GetError(), "Could not reduce the frames to one palette");
            return GetError();
        }
    }
    std::vector<uint8_t> pixels(static_cast<size_t>(m_nWidth) * m_nHeight);
    for (int32_t i = 0; i < count; ++i)
    {
        CxDrawSurface* s = surfaces[i];
        CxDrawSurface* source = s;
        int32_t top = 0;
        if (trueColour)
        {
            source = &combined;
            top = m_nHeight * i;
        }
        else if (s->GetDepth() != 8)
        {
            // Fewer bits per pixel: widen to 8-bit indices with the same palette.
            CxDrawSurface wide(*s);
            if (wide.ConvertDepth(8) != CX_ERR_NONE)
            {
                SetError(wide.GetError(), "Could not read frame %d", i);
                return GetError();
            }
            for (int32_t y = 0; y < m_nHeight; ++y)
                for (int32_t x = 0; x < m_nWidth; ++x)
                    pixels[static_cast<size_t>(y) * m_nWidth + x] = static_cast<uint8_t>(wide.GetPixel(x, y));
            AddFrame(pixels.data(), wide.GetPalette());
            continue;
        }
        source->Lock();
        if (!source->GetBits())
        {
            source->Unlock();
            SetError(CX_ERR_OUT_OF_MEMORY, "Could not lock frame %d", i);
            return GetError();
        }
        for (int32_t y = 0; y < m_nHeight; ++y)
            memcpy(&pixels[static_cast<size_t>(y) * m_nWidth], source->GetPixelAddress(0, top + y),
                   static_cast<size_t>(m_nWidth));
        source->Unlock();
        AddFrame(pixels.data(), source->GetPalette());
    }
    return GetError();
}

uint32_t CxSmackerEncoder::SetAudio(const ST_SMK_AUDIO& audio)
{
    return SetAudioTrack(0, audio);
}

uint32_t CxSmackerEncoder::SetAudioTrack(int32_t track, const ST_SMK_AUDIO& audio)
{
    if (GetError() != CX_ERR_NONE)
        return GetError();
    if (track < 0 || track >= kTracks)
    {
        SetError(CX_ERR_INVALID_ARGUMENT, "A movie has audio tracks 0 to 6, not %d", track);
        return GetError();
    }
    if ((audio.nBits != 8 && audio.nBits != 16) || (audio.nChannels != 1 && audio.nChannels != 2) ||
        audio.nRate < 1 || audio.nRate > 0xFFFFFF)
    {
        SetError(CX_ERR_INVALID_ARGUMENT, "Movie audio must be 8 or 16-bit PCM, mono or stereo");
        return GetError();
    }
    const uint32_t frameBytes = audio.nBits / 8u * audio.nChannels;
    if (audio.data.size() % frameBytes || audio.data.size() > 0x40000000u)
    {
        SetError(CX_ERR_INVALID_ARGUMENT, "Movie audio is not a whole number of samples");
        return GetError();
    }
    m_Audio[track] = audio;
    m_bHasAudio[track] = !audio.data.empty();
    return CX_ERR_NONE;
}

uint32_t CxSmackerEncoder::Finish(std::vector<uint8_t>* out)
{
    if (GetError() != CX_ERR_NONE)
        return GetError();
    if (!out || m_Frames.empty())
    {
        SetError(CX_ERR_INVALID_ARGUMENT, "A movie needs at least one frame");
        return GetError();
    }
    // The ring frame is the first frame once more, coded as the step from the last.
    if (m_bRing)
        m_Frames.push_back(m_Frames.front());
    const uint32_t result = Encode(out);
    if (m_bRing)
        m_Frames.pop_back();
    return result;
}

uint32_t CxSmackerEncoder::Encode(std::vector<uint8_t>* out)
{
    const uint32_t frames = static_cast<uint32_t>(m_Frames.size());
    const int32_t blocksX = m_nWidth / 4, blocksY = m_nHeight / 4;

    // The pixel pairs of FULL blocks: pixels 2-3 and 0-1 of each block row.
    auto pairAt = [&](const Frame& f, int32_t x, int32_t y) -> uint32_t {
        const uint8_t* p = &f.pixels[static_cast<size_t>(y) * m_nWidth + x];
        return static_cast<uint32_t>(p[0] | (p[1] << 8));
    };
    // Each block is SKIP (as in the previous frame), FILL (one colour) or
    // FULL; runs of blocks of one kind (and colour) share a type code.
    std::vector<std::vector<uint16_t>> typeCodes(frames);
    std::vector<bool> keyFrame(frames, true);
    std::vector<uint64_t> pairCounts(65536, 0), typeCounts(65536, 0);
    std::vector<uint32_t> kinds(static_cast<size_t>(blocksX) * blocksY);
    for (uint32_t k = 0; k < frames; ++k)
    {
        const Frame& f = m_Frames[k];
        for (int32_t by = 0; by < blocksY; ++by)
            for (int32_t bx = 0; bx < blocksX; ++bx)
            {
                const uint8_t first = f.pixels[static_cast<size_t>(by * 4) * m_nWidth + bx * 4];
                bool same = k > 0, uniform = true;
                for (int32_t row = 0; row < 4; ++row)
                {
                    const size_t at = static_cast<size_t>(by * 4 + row) * m_nWidth + bx * 4;
                    if (same && memcmp(&f.pixels[at], &m_Frames[k - 1].pixels[at], 4) != 0)
                        same = false;
                    for (int32_t x = 0; x < 4; ++x)
                        uniform = uniform && f.pixels[at + x] == first;
                }
                uint32_t kind = same ? kBlockSkip : uniform ? (kBlockFill | (first << 8)) : kBlockFull;
                kinds[static_cast<size_t>(by) * blocksX + bx] = kind;
                if (kind == kBlockFull)
                    for (int32_t row = 0; row < 4; ++row)
                    {
                        ++pairCounts[pairAt(f, bx * 4 + 2, by * 4 + row)];
                        ++pairCounts[pairAt(f, bx * 4, by * 4 + row)];
                    }
                if (kind == kBlockSkip)
                    keyFrame[k] = false;
            }
        for (size_t i = 0; i < kinds.size();)
        {
            size_t n = 1;
            while (i + n < kinds.size() && kinds[i + n] == kinds[i])
                ++n;
            i += n;
            while (n > 0)
            {
                uint32_t index = 63;
                while (kRuns[index] > n)
                    --index;
                const uint16_t t = static_cast<uint16_t>((kinds[i - n] & 0xFF03) | (index << 2));
                typeCodes[k].push_back(t);
                ++typeCounts[t];
                n -= kRuns[index];
            }
        }
    }
    HuffTree full(65536), type(65536);
    full.Build(pairCounts, 0);
    type.Build(typeCounts, 0);
    uint16_t fullEscapes[3], typeEscapes[3];
    if (!ChooseEscapes(pairCounts, full, fullEscapes) || !ChooseEscapes(typeCounts, type, typeEscapes))
    {
        SetError(CX_ERR_INVALID_ARGUMENT, "The movie uses too many pixel pairs for one tree");
        return GetError();
    }

    // The tree block; MMAP and MCLR (MONO blocks) are unused single leaves.
    BitWriter treeBits;
    HuffTree zero(65536);
    std::vector<uint64_t> one(65536, 0);
    one[0] = 1;
    zero.Build(one, 0);
    const uint16_t plainEscapes[3] = {0x0100, 0x0200, 0x0300};
    uint32_t hints[4];
    hints[0] = PutBigTree(treeBits, zero, plainEscapes);
    hints[1] = PutBigTree(treeBits, zero, plainEscapes);
    hints[2] = PutBigTree(treeBits, full, fullEscapes);
    hints[3] = PutBigTree(treeBits, type, typeEscapes);
    std::vector<uint8_t>& treeBlock = treeBits.Bytes();
    while (treeBlock.size() % 4)
        treeBlock.push_back(0);

    // The frame chunks.
    std::vector<std::vector<uint8_t>> chunks(frames);
    std::vector<uint8_t> types(frames, 0);
    uint32_t maxAudio[kTracks] = {};
    uint8_t previous[768];
    for (uint32_t k = 0; k < frames; ++k)
    {
        const Frame& f = m_Frames[k];
        std::vector<uint8_t>& chunk = chunks[k];
        uint8_t palette[768];
        for (int i = 0; i < 768; ++i)
            palette[i] = static_cast<uint8_t>(f.palette[i] >> 2);
        const std::vector<uint8_t> pal = PaletteChunk(palette, previous, k == 0);
        memcpy(previous, palette, sizeof(previous));
        if (!pal.empty())
        {
            types[k] |= 1;
            Append(chunk, pal);
        }
        // The tracks' chunks follow the palette in track order; bit 1 + n of
        // the frame type marks track n.
        for (int32_t track = 0; track < kTracks; ++track)
        {
            if (!m_bHasAudio[track])
                continue;
            const ST_SMK_AUDIO& sound = m_Audio[track];
            const uint32_t sampleBytes = sound.nBits / 8u * sound.nChannels;
            const uint64_t totalSamples = sound.data.size() / sampleBytes;
            const uint64_t first = static_cast<uint64_t>(k) * sound.nRate / m_nFps;
            uint64_t end = static_cast<uint64_t>(k + 1) * sound.nRate / m_nFps;
            if (k + 1 == frames || end > totalSamples)
                end = totalSamples;
            if (first < end)
            {
                const std::vector<uint8_t> audio =
                    AudioChunk(sound, static_cast<uint32_t>(first), static_cast<uint32_t>(end));
                types[k] |= static_cast<uint8_t>(2u << track);
                maxAudio[track] =
                    std::max(maxAudio[track], static_cast<uint32_t>((end - first) * sampleBytes));
                Append(chunk, audio);
            }
        }
        BitWriter video;
        int32_t block = 0;
        for (uint16_t t : typeCodes[k])
        {
            type.Put(video, t);
            const int32_t run = static_cast<int32_t>(kRuns[(t >> 2) & 63]);
            if ((t & 3) == kBlockFull)
                for (int32_t b = block; b < block + run; ++b)
                {
                    const int32_t bx = b % blocksX, by = b / blocksX;
                    for (int32_t row = 0; row < 4; ++row)
                    {
                        full.Put(video, pairAt(f, bx * 4 + 2, by * 4 + row));
                        full.Put(video, pairAt(f, bx * 4, by * 4 + row));
                    }
                }
            block += run;
        }
        // A frame whose codes all cost no bits still carries video bytes: the
        // decoder refuses an empty picture.
        if (video.Bytes().empty())
            video.PutField(0, 8);
        Append(chunk, video.Bytes());
        while (chunk.size() % 4)
            chunk.push_back(0);
    }

    uint8_t header[0x68] = {};
    memcpy(header, "SMK2", 4);
    SetLE32(header + 0x04, static_cast<uint32_t>(m_nWidth));
    SetLE32(header + 0x08, static_cast<uint32_t>(m_nHeight));
    // The header counts the movie's frames; flag 1 says a ring frame follows them.
    SetLE32(header + 0x0C, m_bRing ? frames - 1 : frames);
    SetLE32(header + 0x10, static_cast<uint32_t>(SmackerRateField(m_nFps)));
    SetLE32(header + 0x14, m_bRing ? 1u : 0u);
    for (int32_t track = 0; track < kTracks; ++track)
        SetLE32(header + 0x18 + 4 * track, maxAudio[track]);
    SetLE32(header + 0x34, static_cast<uint32_t>(treeBlock.size()));
    for (int i = 0; i < 4; ++i)
        SetLE32(header + 0x38 + 4 * i, hints[i]);
    for (int32_t track = 0; track < kTracks; ++track)
        if (m_bHasAudio[track])
            SetLE32(header + 0x48 + 4 * track, 0xC0000000u | (m_Audio[track].nBits == 16 ? 0x20000000u : 0) |
                                                   (m_Audio[track].nChannels == 2 ? 0x10000000u : 0) |
                                                   m_Audio[track].nRate);
    std::vector<uint8_t> sizes;
    for (uint32_t k = 0; k < frames; ++k)
        PutLE32(sizes, static_cast<uint32_t>(chunks[k].size()) | (keyFrame[k] ? 1 : 0));
    out->assign(header, header + sizeof(header));
    Append(*out, sizes);
    Append(*out, types);
    Append(*out, treeBlock);
    for (const std::vector<uint8_t>& chunk : chunks)
        Append(*out, chunk);
    return CX_ERR_NONE;
}
