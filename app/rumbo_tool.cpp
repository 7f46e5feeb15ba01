// rumbo-tool: inspects and converts game data from the command line.
#include "app/rumbo_tool.h"
#include "engine/core/event_creator.h"
#include "engine/core/file.h"
#include "engine/core/interpolator.h"
#include "engine/core/options.h"
#include "engine/core/sequence.h"
#include "engine/frame/print_surface.h"
#include "engine/graphics/compress.h"
#include "engine/graphics/crc.h"
#include "engine/graphics/decompress.h"
#include "engine/graphics/default_font.h"
#include "engine/graphics/draw_surface.h"
#include "engine/graphics/font.h"
#include "engine/graphics/image_files.h"
#include "engine/graphics/image_filter.h"
#include "engine/media/wave_info.h"
#include "tools/image/image_compare.h"
#include "tools/smk/smk_encoder.h"

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

namespace {
// Loads an option file; false (with the message on standard error) when it is missing.
bool LoadOptions(CxOptions& options, const char* path)
{
    if (options.Open(path) == CX_ERR_FILE_NOT_FOUND)
    {
        fprintf(stderr, "Could not find file: %s\n", path);
        return false;
    }
    return true;
}

int IniGet(int argc, char** argv)
{
    if (argc < 5 || argc > 6)
        return ToolUsage();
    CxOptions options;
    if (!LoadOptions(options, argv[2]))
        return 1;
    static char value[0x10000];
    options.GetString(argv[3], argv[4], value, argc == 6 ? argv[5] : "", sizeof(value));
    printf("%s\n", value);
    return 0;
}

int IniDump(int argc, char** argv)
{
    if (argc != 3)
        return ToolUsage();
    CxOptions options;
    if (!LoadOptions(options, argv[2]))
        return 1;
    options.WriteTo([](const char* text, uint32_t length, void*) { fwrite(text, 1, length, stdout); },
                    nullptr);
    return 0;
}
// An unsigned number in decimal or, with a leading "0x", hexadecimal.
bool ParseNumber(const char* text, uint64_t limit, uint64_t* value)
{
    int base = 10;
    if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
    {
        base = 16;
        text += 2;
    }
    if (!*text || *text == '-' || *text == '+' || *text == ' ')
        return false;
    char* end = nullptr;
    errno = 0;
    const unsigned long long number = strtoull(text, &end, base);
    if (errno != 0 || *end != '\0' || number > limit)
        return false;
    *value = number;
    return true;
}

int Fail(uint32_t code, const char* detail, const char* path)
{
    fprintf(stderr, "%s: %s%s%s\n", GetErrorText(code), detail, path ? " " : "", path ? path : "");
    return 1;
}

bool ReadInput(const char* path, CxFileBuffer& buffer)
{
    if (!ToolFileExists(path))
        return false;
    const uint32_t code = LoadFile(path, buffer);
    if (code != CX_ERR_NONE)
    {
        Fail(code, "could not read", path);
        return false;
    }
    return true;
}

int WriteOutput(const char* path, const uint8_t* data, uint32_t size)
{
    CxError reporter;
    const uint32_t code = SaveFileAtomic(path, data, size, &reporter);
    return code == CX_ERR_NONE ? 0 : Fail(code, "could not write", path);
}

bool ParseMethod(const char* text, uint8_t* method)
{
    uint64_t value = 0;
    if (!ParseNumber(text, 255, &value))
    {
        fprintf(stderr, "%s: method must be a number from 0 to 255: %s\n",
                GetErrorText(CX_ERR_INVALID_ARGUMENT), text);
        return false;
    }
    *method = static_cast<uint8_t>(value);
    return true;
}

int Crc(int argc, char** argv)
{
    if (argc < 3 || argc > 4)
        return ToolUsage();
    uint64_t start = 0;
    if (argc == 4 && !ParseNumber(argv[3], 0xFFFFFFFFu, &start))
    {
        fprintf(stderr, "%s: START must be a 32-bit number: %s\n", GetErrorText(CX_ERR_INVALID_ARGUMENT),
                argv[3]);
        return 1;
    }
    CxFileBuffer buffer;
    if (!ReadInput(argv[2], buffer))
        return 1;
    printf("%08" PRIX32 "\n", ComputeCrc(buffer.GetData(), buffer.GetSize(), static_cast<uint32_t>(start)));
    return 0;
}

int CompressFile(int argc, char** argv)
{
    if (argc != 5)
        return ToolUsage();
    uint8_t method = 0;
    if (!ParseMethod(argv[2], &method))
        return 1;
    CxFileBuffer input;
    if (!ReadInput(argv[3], input))
        return 1;
    if (method == CX_COMPRESS_RLE16 && input.GetSize() % 2)
    {
        fprintf(stderr,
                "%s: method 3 packs 16-bit words, and %s holds an odd number of bytes (%" PRIu32
                "); pad it to an even size or choose another method\n",
                GetErrorText(CX_ERR_INVALID_ARGUMENT), argv[3], input.GetSize());
        return 1;
    }
    CxBuffer output;
    const uint32_t code = Compress(output, input.GetData(), input.GetSize(), method);
    if (code != CX_ERR_NONE)
        return Fail(code, "could not compress", argv[3]);
    return WriteOutput(argv[4], output.GetData(), output.GetSize());
}

int DecompressFile(int argc, char** argv)
{
    if (argc != 6)
        return ToolUsage();
    uint8_t method = 0;
    uint64_t size = 0;
    if (!ParseMethod(argv[2], &method))
        return 1;
    if (!ParseNumber(argv[3], CX_BUFFER_MAX_SIZE, &size))
    {
        fprintf(stderr, "%s: SIZE must be a number below 2^31: %s\n", GetErrorText(CX_ERR_INVALID_ARGUMENT),
                argv[3]);
        return 1;
    }
    CxFileBuffer input;
    if (!ReadInput(argv[4], input))
        return 1;
    CxBuffer output;
    if (output.Allocate(static_cast<uint32_t>(size)) != CX_ERR_NONE)
        return Fail(output.GetError(), "could not allocate the output for", argv[4]);
    uint32_t produced = 0;
    const uint32_t code =
        Decompress(output.GetData(), output.GetSize(), input.GetData(), input.GetSize(), method, &produced);
    if (code != CX_ERR_NONE)
        return Fail(code, "could not decompress", argv[4]);
    if (produced != size)
    {
        fprintf(stderr, "%s: %s holds %" PRIu32 " bytes, not %" PRIu64 "\n", GetErrorText(CX_ERR_UNKNOWN),
                argv[4], produced, size);
        return 1;
    }
    return WriteOutput(argv[5], output.GetData(), produced);
}
// Loads an image through the registered filters; false (message printed) on failure.
bool LoadImage(CxDrawSurface& surface, const char* path)
{
    if (!ToolFileExists(path))
        return false;
    RegisterStandardImageFilters();
    const uint32_t code = surface.Load(path);
    if (code != CX_ERR_NONE)
    {
        fprintf(stderr, "%s: could not load %s\n", GetErrorText(code), path);
        return false;
    }
    return true;
}

int ImageInfo(int argc, char** argv)
{
    if (argc != 3)
        return ToolUsage();
    CxDrawSurface surface;
    if (!LoadImage(surface, argv[2]))
        return 1;
    printf("width %d height %d depth %d pitch %d format %u\n", surface.GetWidth(), surface.GetHeight(),
           surface.GetDepth(), surface.GetPitch(), surface.GetPixelFormat());
    return 0;
}

int ImageConvert(int argc, char** argv)
{
    if (argc < 4 || argc > 5)
        return ToolUsage();
    uint8_t method = CX_COMPRESS_DEFLATE;
    if (argc == 5 && !ParseMethod(argv[4], &method))
        return 1;
    CxDrawSurface surface;
    if (!LoadImage(surface, argv[2]))
        return 1;
    const uint32_t code = SaveImageFile(&surface, argv[3], method);
    if (code != CX_ERR_NONE)
        return Fail(code, "could not write", argv[3]);
    return 0;
}
// The font of font-render: the built-in one for "-", else a font image file.
CxFont* LoadToolFont(const char* path)
{
    if (strcmp(path, "-") == 0)
        return CreateDefaultFont() == CX_ERR_NONE ? FindFont(CX_FONT_ID_DEFAULT) : nullptr;
    if (!ToolFileExists(path))
        return nullptr;
    RegisterStandardImageFilters();
    for (const char* extension : {".QEX", ".BMP", ".TGA", ".PCX"})
        RegisterFontFilter(extension, LoadBitmapFontFile);
    CxFont* font = nullptr;
    const uint32_t code = LoadFont(path, &font);
    if (code != CX_ERR_NONE)
    {
        fprintf(stderr, "%s: could not load the font %s\n", GetErrorText(code), path);
        return nullptr;
    }
    return font;
}

int FontRender(int argc, char** argv)
{
    if (argc < 5 || argc > 6)
        return ToolUsage();
    uint64_t size = 0;
    if (argc == 6 && (!ParseNumber(argv[5], 4096, &size) || size == 0))
    {
        fprintf(stderr, "%s: SIZE must be a number from 1 to 4096: %s\n",
                GetErrorText(CX_ERR_INVALID_ARGUMENT), argv[5]);
        return 1;
    }
    CxFont* font = LoadToolFont(argv[2]);
    if (!font)
        return 1;
    const int32_t height = size ? static_cast<int32_t>(size) : font->GetSize();
    const char* text = argv[3];
    CxBitmapFont* bitmapFont = dynamic_cast<CxBitmapFont*>(font);
    int missing = 0;
    for (const char* p = text; *p; ++p)
        if (bitmapFont && *p != '\t' && *p != '\r' && *p != '\n' &&
            !bitmapFont->FindChar(static_cast<uint8_t>(*p)))
        {
            fprintf(stderr, "no glyph for code %u\n", static_cast<uint8_t>(*p));
            ++missing;
        }
    // A grey margin of two pixels: dark and light glyphs both show on it.
    constexpr int32_t margin = 2;
    const int32_t width = font->GetTextWidth(text, height);
    CxDrawSurface image(width + 2 * margin, font->GetLineHeight(height) + 2 * margin, 24);
    if (!image.IsCreated())
        return Fail(CX_ERR_OUT_OF_MEMORY, "could not create the image for", argv[4]);
    image.FillRect(nullptr, 0x808080);
    DrawText(&image, CxRect(margin, margin, margin + width - 1, image.GetHeight() - margin - 1),
             CX_FONT_OWN_COLORS, text, 0, height, font);
    const uint32_t code = SaveImageFile(&image, argv[4], 0);
    RemoveAllFonts();
    if (code != CX_ERR_NONE)
        return Fail(code, "could not write", argv[4]);
    printf("width %d height %d\n", image.GetWidth(), image.GetHeight());
    return missing ? 3 : 0;
}

// Stands for every event of a sequence file: what its line asked for.
class DumpEvent : public CxEvent
{
public:
    DumpEvent(const CxString& category, const CxString& command, const CxLinkedList<CxString>& arguments)
    {
        m_strText.Format("%s.%s(", category.c_str(), command.c_str());
        for (auto* node = arguments.GetHead(); node; node = node->GetNext())
        {
            m_strText += node == arguments.GetHead() ? "\"" : ", \"";
            m_strText += node->m_Value;
            m_strText += "\"";
        }
        m_strText += ")";
    }
    void Start() override {}
    bool IsStarted() override { return false; }
    void Stop() override {}
    bool IsFinished() override { return true; }
    void Pause() override {}
    void Resume() override {}
    bool IsBlocked() override { return false; }
    const CxString& GetText() const { return m_strText; }

private:
    CxString m_strText;
};

class DumpCreator : public CxEventCreator
{
public:
    CxEvent* CreateEvent(const CxString& category, const CxString& command,
                         const CxLinkedList<CxString>& arguments) override
    {
        return new DumpEvent(category, command, arguments);
    }
};

void DumpSequence(const CxSequence& sequence, int depth)
{
    for (auto* node = sequence.GetHead(); node; node = node->GetNext())
    {
        CxEvent* event = node->m_Value;
        printf("%*s%s", depth * 2, "", (event->GetFlags() & EVENT_CONTINUE) ? "continue " : "");
        if (auto* child = dynamic_cast<CxSequence*>(event))
        {
            // A nested file is named as its line named it (after expansion), so a
            // data maker sees which file it pulls in.
            auto* file = dynamic_cast<CxEventSequenceFile*>(child);
            if (file && !file->GetFileName().IsEmpty())
                printf("sequence %s\n", file->GetFileName().c_str());
            else
                printf("sequence\n");
            DumpSequence(*child, depth + 1);
            printf("%*send\n", depth * 2, "");
        }
        else if (auto* deferred = dynamic_cast<CxEventString*>(event))
            printf("dynamic %s\n", deferred->GetText().c_str());
        else if (auto* line = dynamic_cast<DumpEvent*>(event))
            printf("event %s\n", line->GetText().c_str());
    }
}

// Adds the NAME=VALUE arguments from index first on as string constants; false for one without "=".
bool AddConstants(CxInterpolator& interpolator, int argc, char** argv, int first)
{
    for (int i = first; i < argc; ++i)
    {
        const char* equals = strchr(argv[i], '=');
        if (!equals)
            return false;
        const CxString name(argv[i], static_cast<int32_t>(equals - argv[i]));
        if (!interpolator.AddConstant(name.c_str(), equals + 1))
            return false;
    }
    return true;
}

int Expand(int argc, char** argv)
{
    if (argc < 3)
        return ToolUsage();
    CxInterpolator interpolator;
    if (!AddConstants(interpolator, argc, argv, 3))
        return ToolUsage();
    printf("%s\n", interpolator.Expand(argv[2]).c_str());
    return 0;
}

int SeqDump(int argc, char** argv)
{
    if (argc < 3)
        return ToolUsage();
    CxInterpolator interpolator;
    if (!AddConstants(interpolator, argc, argv, 3))
        return ToolUsage();
    SetErrorHandler([](uint32_t code, const char* text) -> int32_t {
        fprintf(stderr, "%s: %s\n", GetErrorText(code), text);
        return 0;
    });
    DumpCreator creator;
    CxEventSequenceFile file(&creator);
    if (file.Load(argv[2], &interpolator) != CX_ERR_NONE)
    {
        fprintf(stderr, "Could not read file: %s\n", argv[2]);
        return 1;
    }
    DumpSequence(file, 0);
    return GetErrorCount() == 0 ? 0 : 3;
}

// Reads a PCM wave for a movie's sound track; false (message printed) on failure.
bool LoadMovieAudio(const char* path, ST_SMK_AUDIO* audio)
{
    CxFileBuffer buffer;
    if (!ReadInput(path, buffer))
        return false;
    ST_WAV_INFO info;
    if (ParseWaveInfo(buffer.GetData(), buffer.GetSize(), false, &info) != CX_ERR_NONE ||
        info.nFormatTag != CX_WAVE_FORMAT_PCM || (info.nBits != 8 && info.nBits != 16) ||
        (info.nChannels != 1 && info.nChannels != 2))
    {
        fprintf(stderr, "%s: not an 8 or 16-bit mono or stereo PCM wave: %s\n",
                GetErrorText(CX_ERR_INVALID_FILE_TYPE), path);
        return false;
    }
    audio->nRate = info.nRate;
    audio->nBits = info.nBits;
    audio->nChannels = info.nChannels;
    const uint32_t frameBytes = info.nBits / 8u * info.nChannels;
    const uint32_t bytes = info.nDataLength - info.nDataLength % frameBytes;
    audio->data.assign(info.pData, info.pData + bytes);
    return true;
}

int SmkEncode(int argc, char** argv)
{
    if (argc < 5)
        return ToolUsage();
    const char* output = argv[2];
    uint64_t fps = 0;
    // Each --audio adds the next sound track (0, 1, ...).
    std::vector<const char*> waves;
    int first = 3;
    while (first < argc && strncmp(argv[first], "--", 2) == 0)
    {
        if (strcmp(argv[first], "--fps") == 0 && first + 1 < argc)
        {
            if (!ParseNumber(argv[first + 1], 1000, &fps) || fps < 1)
            {
                fprintf(stderr, "%s: --fps must be a number from 1 to 1000: %s\n",
                        GetErrorText(CX_ERR_INVALID_ARGUMENT), argv[first + 1]);
                return 1;
            }
        }
        else if (strcmp(argv[first], "--audio") == 0 && first + 1 < argc)
        {
            if (waves.size() == 7)
            {
                fprintf(stderr, "%s: a movie has at most 7 sound tracks\n",
                        GetErrorText(CX_ERR_INVALID_ARGUMENT));
                return 1;
            }
            waves.push_back(argv[first + 1]);
        }
        else
            return ToolUsage();
        first += 2;
    }
    if (fps == 0 || first >= argc)
        return ToolUsage();
    const int count = argc - first;
    std::vector<CxDrawSurface> frames(static_cast<size_t>(count));
    std::vector<CxDrawSurface*> pointers;
    for (int i = 0; i < count; ++i)
    {
        if (!LoadImage(frames[i], argv[first + i]))
            return 1;
        pointers.push_back(&frames[i]);
    }
    const int32_t width = frames[0].GetWidth(), height = frames[0].GetHeight();
    for (int i = 0; i < count; ++i)
        if (frames[i].GetWidth() != width || frames[i].GetHeight() != height || width % 4 || height % 4)
        {
            fprintf(stderr, "%s: frames must all be %dx%d, with sides a multiple of 4: %s\n",
                    GetErrorText(CX_ERR_INVALID_ARGUMENT), width, height, argv[first + i]);
            return 1;
        }
    CxSmackerEncoder encoder;
    encoder.Begin(width, height, static_cast<uint32_t>(fps));
    encoder.AddSurfaces(pointers.data(), count);
    for (size_t track = 0; track < waves.size(); ++track)
    {
        ST_SMK_AUDIO audio;
        if (!LoadMovieAudio(waves[track], &audio))
            return 1;
        encoder.SetAudioTrack(static_cast<int32_t>(track), audio);
    }
    std::vector<uint8_t> file;
    if (encoder.Finish(&file) != CX_ERR_NONE)
        return Fail(encoder.GetError(), "could not make the movie", output);
    if (file.size() > 0x7FFFFFFF)
        return Fail(CX_ERR_OUT_OF_MEMORY, "movie too large", output);
    return WriteOutput(output, file.data(), static_cast<uint32_t>(file.size()));
}

int SmkInfo(int argc, char** argv)
{
    if (argc != 3)
        return ToolUsage();
    CxFileBuffer buffer;
    if (!ReadInput(argv[2], buffer))
        return 1;
    ST_SMK_INFO info;
    if (!ReadSmackerInfo(buffer.GetData(), buffer.GetSize(), &info))
    {
        fprintf(stderr, "%s: not a Smacker movie: %s\n", GetErrorText(CX_ERR_INVALID_FILE_TYPE), argv[2]);
        return 1;
    }
    printf("%s width %u height %u frames %u ", info.szSignature, info.nWidth, info.nHeight, info.nFrames);
    if (info.nRateNum % info.nRateDen == 0)
        printf("rate %u fps\n", info.nRateNum / info.nRateDen);
    else
        printf("rate %.3f fps\n", static_cast<double>(info.nRateNum) / info.nRateDen);
    bool any = false;
    for (int track = 0; track < 7; ++track)
    {
        const uint32_t flags = info.nAudioFlags[track];
        if (!(flags & 0x40000000u))
            continue;
        any = true;
        printf("audio track %d: %u Hz %d-bit %s%s\n", track, flags & 0xFFFFFFu,
               (flags & 0x20000000u) ? 16 : 8, (flags & 0x10000000u) ? "stereo" : "mono",
               (flags & 0x80000000u) ? " compressed" : "");
    }
    if (!any)
        printf("no audio\n");
    return 0;
}
// Sends an image through the game's printer routine: the same printer
// choice, page layout and messages as the game's.
// image-compare A B [--tolerance N] [--max-differing LIMIT] [--diff FILE]:
// 0 when at most LIMIT pixels differ by more than N units of 5-6-5, else 1
// and the diff picture written (FILE, or A's name with "-diff.bmp").
int ImageCompare(int argc, char** argv)
{
    if (argc < 4 || argc % 2 != 0)
        return ToolUsage();
    unsigned long tolerance = 0;
    const char* limitText = "0px";
    std::string diffName = std::string(argv[2]).substr(0, std::string(argv[2]).rfind('.')) + "-diff.bmp";
    for (int i = 4; i + 1 < argc; i += 2)
    {
        char* end = nullptr;
        if (strcmp(argv[i], "--tolerance") == 0)
        {
            tolerance = strtoul(argv[i + 1], &end, 10);
            if (end == argv[i + 1] || *end != '\0' || tolerance > 63)
                return Fail(CX_ERR_INVALID_ARGUMENT, "--tolerance wants 0 to 63", argv[i + 1]);
        }
        else if (strcmp(argv[i], "--max-differing") == 0)
            limitText = argv[i + 1];
        else if (strcmp(argv[i], "--diff") == 0)
            diffName = argv[i + 1];
        else
            return ToolUsage();
    }
    CxDrawSurface a, b, diff;
    if (!LoadImage(a, argv[2]) || !LoadImage(b, argv[3]))
        return 1;
    ST_IMAGE_DIFFERENCE difference;
    uint64_t limit = 0;
    if (!CompareImages(a, b, static_cast<uint32_t>(tolerance), &difference, &diff))
        return Fail(CX_ERR_INVALID_FILE_TYPE, "cannot compare the pixels of", argv[3]);
    if (!ParseDifferingLimit(limitText, difference.pixels, &limit))
        return Fail(CX_ERR_INVALID_ARGUMENT, "--max-differing wants a percentage or a count with px",
                    limitText);
    printf("differing %llu of %llu pixels (%.3f%%)%s\n",
           static_cast<unsigned long long>(difference.differing),
           static_cast<unsigned long long>(difference.pixels),
           100.0 * static_cast<double>(difference.differing) / static_cast<double>(difference.pixels),
           difference.sizesDiffer ? "; the sizes differ" : "");
    if (!difference.sizesDiffer && difference.differing <= limit)
        return 0;
    if (SaveImageFile(&diff, diffName.c_str(), CX_COMPRESS_DEFLATE) == CX_ERR_NONE)
        printf("diff written to %s\n", diffName.c_str());
    return 1;
}

int PrintCommand(int argc, char** argv)
{
    if (argc < 3 || argc > 4)
        return ToolUsage();
    float scale = 0;
    if (argc == 4)
    {
        char* end = nullptr;
        scale = strtof(argv[3], &end);
        if (end == argv[3] || *end || !(scale >= 0 && scale <= 1))
        {
            fprintf(stderr, "%s: SCALE must be a number from 0 to 1: %s\n",
                    GetErrorText(CX_ERR_INVALID_ARGUMENT), argv[3]);
            return 1;
        }
    }
    CxDrawSurface surface;
    if (!LoadImage(surface, argv[2]))
        return 1;
    if (PrintSurface(&surface, 0, scale) != CX_ERR_NONE)
    {
        fprintf(stderr, "print: %s was not printed\n", argv[2]);
        return 1;
    }
    printf("printed %s\n", argv[2]);
    return 0;
}

const ST_TOOL_COMMAND TOOL_COMMANDS[] = {
    {"ini-get", IniGet, "  ini-get FILE SECTION KEY [DEFAULT]  print a value of an option file\n"},
    {"ini-dump", IniDump, "  ini-dump FILE                       print an option file in its written form\n"},
    {"seq-dump", SeqDump,
     "  seq-dump FILE [NAME=VALUE ...]      print the events a sequence file makes, with the\n"
     "                                      given interpolator constants\n"},
    {"expand", Expand,
     "  expand TEXT [NAME=VALUE ...]        print TEXT as the interpolator expands it with the\n"
     "                                      given string constants\n"},
    {"crc", Crc, "  crc FILE [START]                    print the CRC of a file (START decimal or 0x hex)\n"},
    {"compress", CompressFile,
     "  compress METHOD IN OUT              compress IN with method 0-255 into OUT\n"},
    {"decompress", DecompressFile,
     "  decompress METHOD SIZE IN OUT       decompress IN into OUT of exactly SIZE bytes\n"},
    {"image-info", ImageInfo,
     "  image-info FILE                     print the size and pixel layout of an image\n"},
    {"image-compare", ImageCompare,
     "  image-compare A B [--tolerance N] [--max-differing LIMIT] [--diff FILE]\n"
     "                                      compare two pictures in 5-6-5: fails (and writes\n"
     "                                      a diff picture) when more than LIMIT pixels (0.5%,\n"
     "                                      12px; default 0px) differ by more than N units\n"},
    {"image-convert", ImageConvert,
     "  image-convert IN OUT [METHOD]       convert between .bmp, .tga, .pcx and .qex\n"
     "                                      (METHOD compresses .qex pixel data, default 1)\n"},
    {"font-render", FontRender,
     "  font-render FONT TEXT OUT [SIZE]    draw TEXT with a font image (FONT \"-\": the built-in\n"
     "                                      font) into the image OUT, SIZE pixels high\n"},
    {"print", PrintCommand,
     "  print IMAGE [SCALE]                 print an image as the game does (SCALE: the part of the\n"
     "                                      page width it takes, 0 for all of it)\n"},
    {"smk-encode", SmkEncode,
     "  smk-encode OUT --fps N [--audio WAV]... FRAME...\n"
     "                                      make a Smacker movie of images of one size (sides a\n"
     "                                      multiple of 4) and a PCM wave (8/16-bit, mono/stereo)\n"},
    {"smk-info", SmkInfo,
     "  smk-info FILE                       print the size, frames, rate and audio of a movie\n"},
};

// The command of that name in either table, or null.
const ST_TOOL_COMMAND* FindCommand(const char* name)
{
    for (const ST_TOOL_COMMAND& command : TOOL_COMMANDS)
        if (strcmp(command.pName, name) == 0)
            return &command;
    for (size_t i = 0; i < WORLD_TOOL_COMMAND_COUNT; ++i)
        if (strcmp(WORLD_TOOL_COMMANDS[i].pName, name) == 0)
            return &WORLD_TOOL_COMMANDS[i];
    return nullptr;
}
} // namespace

int ToolUsage()
{
    fputs("usage: rumbo-tool COMMAND ARGS\n", stderr);
    for (const ST_TOOL_COMMAND& command : TOOL_COMMANDS)
        fputs(command.pUsage, stderr);
    for (size_t i = 0; i < WORLD_TOOL_COMMAND_COUNT; ++i)
        fputs(WORLD_TOOL_COMMANDS[i].pUsage, stderr);
    return 2;
}

bool ToolFileExists(const char* path)
{
    if (FileExists(path))
        return true;
    fprintf(stderr, "%s: %s\n", GetErrorText(CX_ERR_FILE_NOT_FOUND), path);
    return false;
}

int main(int argc, char** argv)
{
    // A tool reports problems on standard error; it never prompts.
    SetErrorHandler(nullptr);
    SetBlueScreenError(false);
    if (argc < 2)
        return ToolUsage();
    const ST_TOOL_COMMAND* command = FindCommand(argv[1]);
    return command ? command->pfnRun(argc, argv) : ToolUsage();
}
