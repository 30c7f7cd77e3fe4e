// The start-up yardstick: a plain C++ program that reads a puzzle file and
// prints its size, nothing else.
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    std::ifstream in(argv[1], std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.eof() && !in) return 1;
    std::cout << bytes.size() << "\n";
    return 0;
}
