#include "tools/pdfcheck.h"

#include "tools/preflight.h"

#include <algorithm>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace pdfcheck {

std::string shellQuote(const std::string& s)
{
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

namespace {
const auto quote = shellQuote;
} // namespace

std::string run(const std::string& command)
{
    std::string out;
    FILE* f = ::popen(command.c_str(), "r");
    if (f == nullptr)
        throw std::runtime_error("cannot run " + command);
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        out.append(buf, n);
    int status = ::pclose(f);
    if (status != 0)
        throw std::runtime_error("command failed (" + std::to_string(status) + "): " + command + "\n" + out);
    return out;
}

void distillFile(const std::string& psPath, const std::string& pdfPath)
{
    preflight::RunResult r = preflight::runProgram({"gs", "-q", "-dNOPAUSE", "-dBATCH", "-dSAFER", "-sDEVICE=pdfwrite",
                                                    "-dAutoRotatePages=/None", "-o", pdfPath, psPath});
    if (r.status != 0)
        throw std::runtime_error("gs could not distil " + psPath + " (exit status " + std::to_string(r.status) +
                                 "): " + r.output);
}

std::string distill(const std::string& ps, const std::string& folder, const std::string& name)
{
    std::string psPath = folder + "/" + name + ".ps", pdfPath = folder + "/" + name + ".pdf";
    std::ofstream(psPath, std::ios::binary) << ps;
    distillFile(psPath, pdfPath);
    return pdfPath;
}

PdfFacts readPdf(const std::string& pdf)
{
    preflight::Pdf read = preflight::read(pdf);
    PdfFacts facts;
    for (const preflight::Page& p : read.pages) {
        PdfPage page;
        for (const auto& [key, r] : p.boxes)
            page.boxes["/" + key] = r;
        facts.pages.push_back(page);
    }
    for (const auto& [key, value] : read.info)
        facts.info["/" + key] = value;
    return facts;
}

Rect markedArea(const std::string& pdf, int page)
{
    std::string out = run("gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=bbox -dFirstPage=" + std::to_string(page) +
                          " -dLastPage=" + std::to_string(page) + " " + quote(pdf) + " 2>&1");
    std::istringstream in(out);
    std::string line;
    while (std::getline(in, line)) {
        Rect r{};
        if (std::sscanf(line.c_str(), "%%%%HiResBoundingBox: %lf %lf %lf %lf", &r[0], &r[1], &r[2], &r[3]) == 4)
            return r;
    }
    throw std::runtime_error("no bounding box from gs: " + out);
}

double darkAlongVertical(const std::string& pdf, int page, double x, double y0, double y1)
{
    constexpr int kDpi = 288; // 4 pixels per point
    std::string pgm = pdf + ".pgm";
    run("gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=pgmraw -r" + std::to_string(kDpi) + " -dFirstPage=" +
        std::to_string(page) + " -dLastPage=" + std::to_string(page) + " -o " + quote(pgm) + " " + quote(pdf));
    std::ifstream in(pgm, std::ios::binary);
    std::string magic;
    int w = 0, h = 0, max = 0;
    in >> magic;
    // Skip the comment lines Ghostscript writes into the header.
    while (in >> std::ws && in.peek() == '#') {
        std::string comment;
        std::getline(in, comment);
    }
    in >> w >> h >> max;
    in.get();
    std::vector<unsigned char> pixels(static_cast<std::size_t>(w) * h);
    in.read(reinterpret_cast<char*>(pixels.data()), static_cast<std::streamsize>(pixels.size()));
    int col = static_cast<int>(x * 4);
    int dark = 0, total = 0;
    for (int y = static_cast<int>(y0 * 4); y < static_cast<int>(y1 * 4); ++y) {
        int row = h - 1 - y; // PDF y grows upwards
        if (row < 0 || row >= h)
            continue;
        unsigned char darkest = 255;
        for (int dx = -2; dx <= 2; ++dx)
            if (col + dx >= 0 && col + dx < w)
                darkest = std::min(darkest, pixels[static_cast<std::size_t>(row) * w + col + dx]);
        ++total;
        if (darkest < 128)
            ++dark;
    }
    return total ? static_cast<double>(dark) / total : 0.0;
}

} // namespace pdfcheck
