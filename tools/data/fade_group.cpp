// The two fade movies every room plays when it is entered and left.
#include "tools/data/demo_data.h"
#include "tools/smk/fade_movie.h"

namespace {
class CFadeGroup : public CDemoGroup
{
public:
    const char* Name() const override { return "fades"; }
    uint32_t Version() const override { return 1; }
    std::vector<std::string> Outputs(const DemoDataPaths&) const override
    {
        return {"COMMON/FADE0.SMK", "COMMON/FADE1.SMK"};
    }
    bool Make(const DemoDataPaths& paths) const override
    {
        for (int closing = 0; closing < 2; ++closing)
        {
            std::vector<uint8_t> file;
            if (!EncodeFadeMovie(closing != 0, &file))
            {
                fprintf(stderr, "make-demo-data: could not encode a fade movie\n");
                return false;
            }
            const std::string name = closing ? "/COMMON/FADE1.SMK" : "/COMMON/FADE0.SMK";
            if (!WriteWholeFile(paths.output + name, file.data(), file.size()))
                return false;
        }
        return true;
    }
};
} // namespace

std::unique_ptr<CDemoGroup> MakeFadeGroup()
{
    return std::make_unique<CFadeGroup>();
}
