#include "platform/errors.h"

#include <algorithm>
#include <array>
#include <utility>

namespace platform {
namespace {

struct Entry {
  int number;
  const char* text;
};

// Sorted by number. Run-time errors first, then the programs' own (from 513,
// the first number the runtime leaves to programs), then the database
// engine's.
constexpr Entry kTable[] = {
    {3, "Return sin GoSub"},
    {5, "Llamada a procedimiento o argumento no válido"},
    {6, "Desbordamiento"},
    {7, "Memoria insuficiente"},
    {9, "Subíndice fuera del intervalo"},
    {11, "División por cero"},
    {13, "No coinciden los tipos"},
    {52, "Nombre o número de archivo incorrecto"},
    {53, "No se ha encontrado el archivo"},
    {55, "El archivo ya está abierto"},
    {57, "Error de E/S de dispositivo"},
    {58, "El archivo ya existe"},
    {61, "Disco lleno"},
    {62, "La entrada sobrepasa el final del archivo"},
    {70, "Permiso denegado"},
    {75, "Error de acceso a la ruta o el archivo"},
    {76, "No se ha encontrado la ruta de acceso"},
    {91, "Variable de objeto o de bloque With no establecida"},
    {94, "Uso no válido de Null"},
    {513, "La semana de la solicitud ('|') no es un dígito."},
    {514, "El nombre de los archivos de salida ('|') no es un nombre de archivo válido."},
    {515,
     "El registro de informes no tiene más nombres de archivo de ocho cifras: el último es |."},
    {516,
     "La base de datos '|' está siendo usada por otro proceso (equipo '|', proceso |) desde "
     "| (última señal de vida: |). Si ese proceso ya no existe, el administrador puede quitar "
     "la carpeta '|'."},
    {517, "El registro de informes no tiene más números de secuencia para '|': el último es |."},
    {3000, "Error reservado (|); no existe ningún mensaje para este error."},
    {3001, "Argumento no válido."},
    {3010, "La tabla '|' ya existe."},
    {3020, "Update o CancelUpdate sin AddNew o Edit."},
    {3021, "No hay un registro activo."},
    {3022,
     "Los cambios solicitados en la tabla no se realizaron correctamente porque crearían valores "
     "duplicados en el índice, clave principal o relación. Cambie los datos en el campo o los "
     "campos que contienen datos duplicados, quite el índice o vuelva a definirlo para permitir "
     "entradas duplicadas e inténtelo de nuevo."},
    {3024, "No se encuentra el archivo '|'."},
    {3026, "No hay suficiente espacio en el disco."},
    {3027, "No se puede actualizar. La base de datos o el objeto es de sólo lectura."},
    {3028,
     "No se puede iniciar la aplicación. Falta el archivo de información del grupo de trabajo o "
     "está abierto exclusivamente por otro usuario."},
    {3029, "No es una cuenta o contraseña válida."},
    {3033,
     "No tiene los permisos necesarios para usar el objeto '|'. Pida al administrador del sistema "
     "o a la persona que creó este objeto que establezca los permisos apropiados."},
    {3034, "Ha intentado confirmar o deshacer una transacción sin iniciarla primero."},
    {3043, "Error de red o de disco."},
    {3044,
     "'|' no es una ruta de acceso válida. Asegúrese de que la ruta de acceso está escrita "
     "correctamente y de que está conectado al servidor en el que reside el archivo."},
    {3051,
     "El motor de base de datos no puede abrir el archivo '|'. Ya está abierto en modo exclusivo "
     "por otro usuario o necesita permiso para ver sus datos."},
    {3058, "El índice o la clave principal no puede contener un valor nulo."},
    {3061, "Pocos parámetros. Se esperaba |."},
    {3065, "No se puede ejecutar una consulta de selección."},
    {3075, "Error de sintaxis (falta operador) en la expresión de consulta '|'."},
    {3078,
     "El motor de base de datos no puede encontrar la tabla o consulta de entrada '|'. Asegúrese "
     "de que existe y que su nombre está escrito correctamente."},
    {3125,
     "'|' no es un nombre válido. Asegúrese de que no incluye caracteres o signos de puntuación "
     "no válidos y de que no es demasiado largo."},
    {3127,
     "La instrucción INSERT INTO contiene el siguiente nombre de campo desconocido: '|'. "
     "Asegúrese de que ha escrito el nombre correctamente e inténtelo de nuevo."},
    {3130, "Error de sintaxis en la instrucción DELETE."},
    {3131, "Error de sintaxis en la cláusula FROM."},
    {3134, "Error de sintaxis en la instrucción INSERT INTO."},
    {3141,
     "La instrucción SELECT incluye una palabra reservada, un nombre de argumento mal escrito o "
     "que falta, o los signos de puntuación no son correctos."},
    {3144, "Error de sintaxis en la instrucción UPDATE."},
    {3163,
     "El campo es demasiado pequeño para aceptar la cantidad de datos que intenta agregar. "
     "Intente insertar o pegar menos datos."},
    {3191, "No se puede definir el campo '|' más de una vez."},
    {3204, "La base de datos ya existe."},
    {3219, "Operación no válida."},
    {3259, "Tipo de datos de campo no válido."},
    {3265, "Elemento no encontrado en esta colección."},
    {3283, "Ya existe la clave principal."},
    {3290, "Error de sintaxis en la instrucción CREATE TABLE."},
    {3292, "Error de sintaxis en la definición del campo."},
    {3293, "Error de sintaxis en la instrucción ALTER TABLE."},
    {3295, "Error de sintaxis en la instrucción DROP TABLE o DROP INDEX."},
    {3315, "El campo '|' no puede ser una cadena de longitud cero."},
    {3343, "Formato de base de datos '|' no reconocido."},
    {3346, "El número de valores de la consulta y el número de campos de destino no coinciden."},
    {3349, "Desbordamiento del campo numérico."},
    {3376, "La tabla '|' no existe."},
    {3420, "El objeto no es válido o ya no está definido."},
    {3464, "No coinciden los tipos de datos en la expresión de criterios."},
};

const Entry* find(int number) {
  auto it = std::lower_bound(std::begin(kTable), std::end(kTable), number,
                             [](const Entry& e, int n) { return e.number < n; });
  return (it != std::end(kTable) && it->number == number) ? it : nullptr;
}

std::string fill(std::string_view text, std::initializer_list<std::string_view> args) {
  std::string out;
  auto next = args.begin();
  for (char c : text) {
    if (c == '|') {
      if (next != args.end()) out += *next++;
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

Error::Error(int number, std::string description, std::string cause)
    : std::runtime_error(description),
      number_(number),
      description_(std::move(description)),
      cause_(std::move(cause)) {}

std::string describe(int number, std::initializer_list<std::string_view> args) {
  if (const Entry* e = find(number)) return fill(e->text, args);
  std::string n = std::to_string(number);
  return fill(find(3000)->text, {n});
}

Error makeError(int number, std::initializer_list<std::string_view> args) {
  return Error(number, describe(number, args));
}

}  // namespace platform
