// folantra-preflight: a distilled PDF's page boxes and document info, the
// prepress checks on them, and a picture of each page with its boxes.
//
// Exit codes: 0 every check passed, 1 a check failed or the PDF cannot be
// read, 2 usage error.
#include "folantra/version.h"
#include "subhost/counted.h"
#include "tools/preflight.h"

#include <CLI/CLI.hpp>

#include <iostream>

int main(int argc, char** argv)
{
    CLI::App app{"folantra-preflight " FOLANTRA_VERSION ": shows a PDF's MediaBox, CropBox, BleedBox, TrimBox and "
                 "Folantra box page by page (identical pages as one range) with its document info, and checks them: "
                 "TrimBox inside BleedBox inside MediaBox, the bleed, the CropBox, no empty box, the document info.",
                 "folantra-preflight"};
    app.set_version_flag("--version", "folantra-preflight " FOLANTRA_VERSION);
    app.footer("Exit status: 0 every check passed, 1 a check failed or the PDF cannot be read, 2 usage error.");
    std::string file, previewDir;
    double bleed = 0;
    bool json = false, noCropBox = false;
    app.add_option("pdf", file, "The PDF file")->required();
    auto* bleedOption = app.add_option("--bleed", bleed, "The job's bleed in points: each BleedBox must be its TrimBox "
                                                         "grown by this much on every side")
                            ->check(CLI::Range(0.0, 1000.0));
    app.add_flag("--no-cropbox", noCropBox, "Do not expect a CropBox beside each BleedBox (the preference CropBox=0)");
    app.add_flag("--json", json, "Write the boxes, the info and the checks as JSON");
    app.add_option("--preview", previewDir, "Write a PNG of every page with its boxes outlined into this folder");
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return 2;
    }

    preflight::Options options;
    if (bleedOption->count() > 0)
        options.bleed = bleed;
    options.expectCropBox = !noCropBox;
    try {
        preflight::Pdf pdf = preflight::read(file);
        std::vector<preflight::Check> checks = preflight::check(pdf, options);
        std::vector<std::string> previews;
        if (!previewDir.empty())
            previews = preflight::writePreviews(pdf, previewDir);
        if (json) {
            nlohmann::ordered_json j = preflight::reportJson(pdf, checks);
            if (!previewDir.empty())
                j["previews"] = previews;
            std::cout << j.dump(2) << "\n";
        } else {
            std::cout << preflight::report(pdf, checks);
            if (!previews.empty())
                std::cout << "previews: " << subhost::counted(previews.size(), "PNG file", "PNG files") << " in "
                          << previewDir << " ("
                          << std::filesystem::path(previews.front()).filename().string()
                          << (previews.size() > 1 ? " to " + std::filesystem::path(previews.back()).filename().string()
                                                  : std::string())
                          << ")\n";
        }
        return preflight::allPassed(checks) ? 0 : 1;
    } catch (const std::exception& e) {
        std::cerr << "folantra-preflight: " << e.what() << "\n";
        return 1;
    }
}
