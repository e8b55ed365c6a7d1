#include "config/cfg_var.h"

cfg_var* cfg_var::list = nullptr;

// Writing and reading the stream come with the configuration store.
void cfg_var::config_write_file(foobar2000_io::stream_writer*, foobar2000_io::abort_callback&) {}

void cfg_var::config_read_file(foobar2000_io::stream_reader*, foobar2000_io::abort_callback&) {}
