#include "tools/pdfcheck.h"

#include <nlohmann/json.hpp>

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
    run("gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=pdfwrite -dAutoRotatePages=/None -o " + quote(pdfPath) + " " +
        quote(psPath) + " 2>&1");
}

std::string distill(const std::string& ps, const std::string& folder, const std::string& name)
{
    std::string psPath = folder + "/" + name + ".ps", pdfPath = folder + "/" + name + ".pdf";
    std::ofstream(psPath, std::ios::binary) << ps;
    distillFile(psPath, pdfPath);
    return pdfPath;
}

std::string describe(const PdfFacts& facts)
{
    std::string out;
    char line[256];
    std::snprintf(line, sizeof line, "%-5s %-34s %-34s %-34s\n", "page", "MediaBox", "TrimBox", "BleedBox");
    out += line;
    auto box = [](const PdfPage& p, const char* key) {
        if (!p.has(key))
            return std::string("-");
        const Rect& r = p.boxes.at(key);
        char b[96];
        std::snprintf(b, sizeof b, "%.3f %.3f %.3f %.3f", r[0], r[1], r[2], r[3]);
        return std::string(b);
    };
    for (std::size_t i = 0; i < facts.pages.size(); ++i) {
        std::snprintf(line, sizeof line, "%-5zu %-34s %-34s %-34s\n", i + 1, box(facts.pages[i], "/MediaBox").c_str(),
                      box(facts.pages[i], "/TrimBox").c_str(), box(facts.pages[i], "/BleedBox").c_str());
        out += line;
    }
    out += "document info:\n";
    for (const auto& [key, value] : facts.info)
        out += "  " + key.substr(1) + ": " + value + "\n";
    return out;
}

PdfFacts readPdf(const std::string& pdf)
{
    // qpdf answers 3 for a file it read with warnings: Ghostscript 10.0 writes
    // a broken metadata stream for text outside the BMP, while the page and
    // info dictionaries stay sound.
    nlohmann::json j = nlohmann::json::parse(run("qpdf --json " + quote(pdf) + " 2>/dev/null; test $? -ne 2"));
    const nlohmann::json& objects = j.at("qpdf").at(1);
    auto object = [&](const std::string& ref) -> const nlohmann::json& {
        return objects.at("obj:" + ref).at("value");
    };
    PdfFacts facts;
    for (const auto& p : j.at("pages")) {
        PdfPage page;
        for (const auto& [key, value] : object(p.at("object").get<std::string>()).items()) {
            if (!value.is_array() || value.size() != 4 || !value[0].is_number())
                continue;
            page.boxes[key] = Rect{value[0].get<double>(), value[1].get<double>(), value[2].get<double>(),
                                   value[3].get<double>()};
        }
        facts.pages.push_back(page);
    }
    const nlohmann::json& trailer = objects.at("trailer").at("value");
    if (trailer.contains("/Info"))
        for (const auto& [key, value] : object(trailer.at("/Info").get<std::string>()).items())
            if (value.is_string()) {
                std::string s = value.get<std::string>();
                facts.info[key] = s.rfind("u:", 0) == 0 ? s.substr(2) : s;
            }
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
