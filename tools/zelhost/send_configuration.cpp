#include "tools/zelhost/send_configuration.h"

#include "platform/files.h"

namespace zelhost {

// Fields: sequence, source table, target table, extension table, three
// bytes, six numbers.
void writeSendConfiguration(const std::string& path) {
  const char* lines[] = {
      "1|F0651DIVIDEND|T0651DIVIDEND||1|1|6|2|3|4|5|6|7|",
      "2|F0653RETENCION|T0653RETENCION|X0653RETENCION|1|0|6|2|3|4|5|6|7|",
      "3|F0655PERCEPCIÓN|T0655PERCEPCIÓN||0|1|6|2|3|4|5|0|7|",
      "4|F0657RESUMEN|T0657RESUMEN||2|1|6|2|3|4|5|6|0|",
  };
  platform::TextWriter writer(path);
  for (const char* line : lines) writer.writeLine(line);
  writer.close();
}

}  // namespace zelhost
