// folantra-pdfboxes FILE.pdf: every page's MediaBox, TrimBox and BleedBox and
// the document info of a PDF, read with qpdf.
#include "tools/pdfcheck.h"

#include <iostream>

int main(int argc, char** argv)
{
    if (argc != 2 || std::string(argv[1]) == "--help") {
        std::cerr << "usage: folantra-pdfboxes FILE.pdf\n"
                     "Prints each page's MediaBox, TrimBox and BleedBox and the document info.\n";
        return argc == 2 ? 0 : 2;
    }
    try {
        std::cout << pdfcheck::describe(pdfcheck::readPdf(argv[1]));
    } catch (const std::exception& e) {
        std::cerr << "folantra-pdfboxes: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
