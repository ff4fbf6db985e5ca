// The protocol test server as a program, for measurements without the local draw service.
// Prints its port on the first line of standard output and serves until it reads a line or
// end of input on standard input.
#include "protocol_test_server.h"

#include <iostream>
#include <string>

int main() {
    zorlith::testing_support::ProtocolTestServer server;
    std::cout << server.port() << std::endl;
    std::string line;
    std::getline(std::cin, line);
    return 0;
}
