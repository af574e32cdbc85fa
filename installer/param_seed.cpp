// The form's PARAM rows. The texts are exactly the values the host program
// reads; fixed-width values keep every blank.
#include "installer/param_seed.h"

namespace installer {
namespace {

constexpr ParamWrite kUpsert = ParamWrite::Upsert;
constexpr ParamWrite kUpdate = ParamWrite::Update;

// clang-format off
constexpr ParamSeedRow kRows[] = {
    // "044": identity-document types; 130 characters: name (31), short name (12), then the
    // fixed items read by position. "97" and "98" are only refreshed, never added.
    {"044", "- ", "SIN DOCUMENTO                                15 000000 00 000000000000100000000000000000000000000000000                      0 0 1", "001", kUpsert},
    {"044", "0 ", "OTROS TIPOS DE DOCUMENTOS      OTROS         15 000000 15 000000000000000000000000001011101111001000011                      1 0 0", "015", kUpsert},
    {"044", "1 ", "DOC. NACIONAL DE IDENTIDAD     DNI         2 08 111110 03 111111111111111111111111110111110111111111011                      1 5 1", "002", kUpsert},
    {"044", "10", "AUTOGENERADO                   AUTOGENERADO1 15 001001 09 010000011001000000100000000000000000000000000                      1 0 1", "003", kUpsert},
    {"044", "11", "PART. DE NACIMIENTO-IDENTIDAD  P. NAC.     1 15 001001 10 010000011001000000100000000000010111000011011                      1 0 0", "014", kUpsert},
    {"044", "12", "DOC. EDUCACION SUPERIOR        ED. SUP       15 000001 14 000000001010000000100000000000000000000000000                      1 0 0", "013", kUpsert},
    {"044", "13", "TRAB. MENOR DE EDAD/INTERDICT  MENOR/INTER.1 15 010001 13 100111000110000000100000000000000000000000000                      1 0 1", "005", kUpsert},
    {"044", "14", "TRABAJADOR MENOR DE EDAD       MENOR EDAD  1 15 010001 13 100111000110000000100000000000000000000000000                      1 0 1", "017", kUpsert},
    {"044", "15", "INTERDICTO                     INTERDICTO  1 15 010001 13 100111000110000000100000000000000000000000000                      1 0 1", "018", kUpsert},
    {"044", "2 ", "CARNET DE FUERZAS POLICIALES   CARNET FFPP 3 12 111111 05 111111111111111111111111110111110111001000000                      1 0 0", "006", kUpsert},
    {"044", "3 ", "CARNET DE FUERZAS ARMADAS      CARNET FFAA 4 12 111111 06 111111111111111111111111110111110111001000000                      1 0 0", "007", kUpsert},
    {"044", "4 ", "CARNET DE EXTRANJERIA          CARNET EXT. 5 12 111111 07 111111111111111111111111111111111111111111011                      1 0 0", "008", kUpsert},
    {"044", "5 ", "LIBRETA-CEDULA TRIBUTARIA      L.T./C.T.     10 100000 11 000000000000000000000100000000000000000000000                      0 0 0", "009", kUpsert},
    {"044", "6 ", "REG. UNICO DE CONTRIBUYENTES   RUC           11 000110 01 000001000001100111011111010111110111111100111                      0 5 1", "010", kUpsert},
    {"044", "7 ", "PASAPORTE                      PASAPORTE   6 12 111111 08 111111111111111111111111111111111111111111011                      1 0 0", "011", kUpsert},
    {"044", "8 ", "DOC. PROVISIONAL DE IDENTIDAD  DPI         2 08 111010 04 111111111111000000100000000100010111000000000                      1 5 1", "012", kUpsert},
    {"044", "80", "SIN RUC                        SIN RUC       15 000000 00 000000000000000000000000000000000000000000100                      0 0 1", "000", kUpsert},
    {"044", "99", "CONSOLIDADO                    CONSOLIDADO 9 16 000000 16 000000000000000000000000000001000000101000100                      1 0 0", "016", kUpsert},
    {"044", "97", "TRABAJADOR ESPECIAL ONP S.VAL. TRAB. ONP(S)2 08 111110 03 1111111111111111111111101101100101111001110                        1 5 1", "000", kUpdate},
    {"044", "98", "TRABAJADOR ESPECIAL ONP        TRAB. ONP   2 08 111110 03 1111111111111111111111101101100101111001110                        1 5 1", "000", kUpdate},

    // "404": an amount per effective date (yyyymmdd).
    {"404", "20040101", "00003200.00", "011", kUpsert},
    {"404", "20050101", "00003300.00", "012", kUpsert},
    {"404", "20060101", "00003400.00", "013", kUpsert},
    {"404", "20070101", "00003450.00", "014", kUpsert},
    {"404", "20080101", "00003500.00", "000", kUpsert},

    // "916": a rate from an effective date.
    {"916", "20030101", "000.04100", "001", kUpsert},

    // "992": keyed by the form number.
    {"992", "0661", "1", "", kUpsert},

    // "004": banks; 61 characters: name (37), short name (12), "15 1 2 3 110".
    {"004", "53", "HSBC BANK PERU S.A.                  HSBC        15 1 2 3 110", "", kUpsert},
    {"004", "09", "SCOTIABANK PERU                      SCOTIABANK  15 1 2 3 110", "", kUpsert},
    {"004", "54", "BANCO FALABELLA PERU                 FALABELLA   15 1 2 3 110", "", kUpsert},
    {"004", "50", "BNP PARIBAS                          BNP PARIBAS 15 1 2 3 110", "", kUpsert},
    {"004", "51", "AGROBANCO                            AGROBANCO   15 1 2 3 110", "", kUpsert},
    {"004", "56", "BANCO SANTANDER PERU S.A.            SANTANDER PE15 1 2 3 110", "", kUpsert},

    // "996": working and history tables of forms 0655 and 0657; 25 characters: table
    // name (15), "R 1000", a count right-aligned in four columns.
    {"996", "352", "F0655CONDOMI   R 1000   6", "", kUpsert},
    {"996", "353", "F0655DETRTA    R 1000   8", "", kUpsert},
    {"996", "354", "F0655FEXT      R 1000   6", "", kUpsert},
    {"996", "355", "F0655FIDEI     R 1000  10", "", kUpsert},
    {"996", "356", "F0655NORMAS    R 1000   9", "", kUpsert},
    {"996", "357", "F0655PAGCTA    R 1000   8", "", kUpsert},
    {"996", "358", "F0655PAGOS     R 1000   8", "", kUpsert},
    {"996", "360", "F0655RETDET    R 1000  10", "", kUpsert},
    {"996", "411", "F0655IMPORTA   R 1000   2", "", kUpsert},
    {"996", "426", "F0657CORREL    R 1000   5", "", kUpsert},
    {"996", "428", "F0657RETCAB    R 1000   8", "", kUpsert},
    {"996", "430", "F0657DIFCAS    R 1000   5", "", kUpsert},
    {"996", "361", "HF0655CONDOMI  R 1000   6", "", kUpsert},
    {"996", "362", "HF0655DETRTA   R 1000   8", "", kUpsert},
    {"996", "363", "HF0655FEXT     R 1000   6", "", kUpsert},
    {"996", "364", "HF0655FIDEI    R 1000  10", "", kUpsert},
    {"996", "365", "HF0655NORMAS   R 1000   9", "", kUpsert},
    {"996", "366", "HF0655PAGCTA   R 1000   8", "", kUpsert},
    {"996", "367", "HF0655PAGOS    R 1000   8", "", kUpsert},
    {"996", "369", "HF0655RETDET   R 1000  10", "", kUpsert},
    {"996", "427", "HF0657CORREL   R 1000   6", "", kUpsert},
    {"996", "429", "HF0657RETCAB   R 1000   9", "", kUpsert},
    {"996", "431", "HF0657DIFCAS   R 1000   6", "", kUpsert},

    // "998": a rate with a code and a label.
    {"998", "050802020040101", "0 0.017IESCTT IES-RETENC. A INDEP.", "000", kUpsert},

    // "913": kinds of relationship.
    {"913", "01", "ACCIONISTA", "", kUpsert},
    {"913", "02", "TITULAR", "", kUpsert},
    {"913", "03", "DIRECTOR", "", kUpsert},
    {"913", "04", "BENEFICIARIO", "", kUpsert},
    {"913", "99", "OTROS", "", kUpsert},

    // "919": kinds of operation; 71 characters: description (69), "11".
    {"919", "01", "COMPRA DE BONOS                                                      11", "", kUpsert},
    {"919", "02", "COMPRA DE CERTIFICADOS                                               11", "", kUpsert},
    {"919", "03", "INVERSION EN BOLSA DE VALORES                                        11", "", kUpsert},
    {"919", "04", "PRESTAMOS                                                            11", "", kUpsert},
    {"919", "05", "COMPRA DE ACCIONES                                                   11", "", kUpsert},
    {"919", "06", "COMPRA DE INMUEBLES                                                  11", "", kUpsert},
    {"919", "07", "COMPRA DE VEHICULOS, AERONAVES O EMBARCACIONES                       11", "", kUpsert},
    {"919", "99", "OTROS                                                                11", "", kUpsert},

    // "678": kinds of asset; 71 characters: description (69), "11". "7" carries a
    // double quote as its fourth text.
    {"678", "1", "BIENES MUEBLES                                                       11", "", kUpsert},
    {"678", "2", "BIENES INMUEBLES                                                     11", "", kUpsert},
    {"678", "3", "ACTIVOS MOBILIARIOS(CERTIFICADOS,ACCIONES O BONOS DE TITULIZACION)   11", "", kUpsert},
    {"678", "4", "HIPOTECAS                                                            11", "", kUpsert},
    {"678", "5", "PRENDAS                                                              11", "", kUpsert},
    {"678", "6", "CREDITOS                                                             11", "", kUpsert},
    {"678", "7", "OTROS                                                                11", "\"", kUpsert},

    // "679": bank, securitisation, other.
    {"679", "1", "BANCARIO", "", kUpsert},
    {"679", "2", "TITULIZACION", "", kUpsert},
    {"679", "7", "OTROS", "", kUpsert},

    // "979": professions and occupations.
    {"979", "01", "ABOGADO", "", kUpsert},
    {"979", "02", "ACTOR,ARTISTA Y DIRECTOR DE ESPECTACULOS", "", kUpsert},
    {"979", "03", "ADMINISTRADOR DE EMPRESAS (PROFESIONAL)", "", kUpsert},
    {"979", "04", "AGRIMENSOR Y TOPOGRAFO", "", kUpsert},
    {"979", "05", "AGRONOMO", "", kUpsert},
    {"979", "06", "ALBANIL", "", kUpsert},
    {"979", "07", "ANALISTAS DE SISTEMA Y COMPUTACION", "", kUpsert},
    {"979", "08", "ANTROPOLOGO, ARQUEOLOGO Y ETNOLOGO", "", kUpsert},
    {"979", "09", "ARQUITECTO", "", kUpsert},
    {"979", "10", "ARTESANO DE CUERO", "", kUpsert},
    {"979", "11", "ARTESANO TEXTIL", "", kUpsert},
    {"979", "12", "AUTOR LITERARIO, ESCRITOR Y CRITICO", "", kUpsert},
    {"979", "13", "BACTERIOLOGO, FARMACOLOGO", "", kUpsert},
    {"979", "14", "BIOLOGO", "", kUpsert},
    {"979", "15", "CARPINTERO", "", kUpsert},
    {"979", "16", "CONDUCTOR DE VEHICULOS DE MOTOR", "", kUpsert},
    {"979", "17", "CONTADOR", "", kUpsert},
    {"979", "18", "COREOGRAFO Y BAILARINES", "", kUpsert},
    {"979", "19", "COSMETOLOGO, PELUQUERO Y BARBERO", "", kUpsert},
    {"979", "20", "DECORADOR,DIBUJ,PUBLICISTA,DISEN.DE PUB.", "", kUpsert},
    {"979", "21", "DEPORTISTA PROFESIONAL Y ATLETA", "", kUpsert},
    {"979", "22", "DIRECTOR DE EMPRESAS", "", kUpsert},
    {"979", "23", "ECONOMISTA", "", kUpsert},
    {"979", "24", "ELECTRICISTA (TECNICO)", "", kUpsert},
    {"979", "25", "ENFERMERO", "", kUpsert},
    {"979", "26", "ENTRENADOR DEPORTIVO", "", kUpsert},
    {"979", "27", "ESCENOGRAFO", "", kUpsert},
    {"979", "28", "ESCULTOR", "", kUpsert},
    {"979", "29", "ESPECIALISTA EN TRATAMIENTO DE BELLEZA", "", kUpsert},
    {"979", "30", "FARMACEUTICO", "", kUpsert},
    {"979", "31", "FOTOGRAFO Y OPERADORES CAMARA,CINE Y TV", "", kUpsert},
    {"979", "32", "GASFITERO", "", kUpsert},
    {"979", "33", "GEOGRAFO", "", kUpsert},
    {"979", "34", "INGENIERO", "", kUpsert},
    {"979", "35", "INTERPRETE, TRADUCTOR, FILOSOFO", "", kUpsert},
    {"979", "36", "JOYERO Y/O PLATERO", "", kUpsert},
    {"979", "37", "LABORATORISTA (TECNICO)", "", kUpsert},
    {"979", "38", "LOCUTOR DE RADIO, TV", "", kUpsert},
    {"979", "39", "MECANICO DE MOTORES DE AVIONES Y NAVES MARINAS", "", kUpsert},
    {"979", "40", "MECANICO DE VEHICULOS DE MOTOR", "", kUpsert},
    {"979", "41", "MEDICO Y CIRUJANO", "", kUpsert},
    {"979", "42", "MODELO", "", kUpsert},
    {"979", "43", "MUSICO", "", kUpsert},
    {"979", "44", "NUTRICIONISTA", "", kUpsert},
    {"979", "45", "OBSTETRIZ", "", kUpsert},
    {"979", "46", "ODONTOLOGO", "", kUpsert},
    {"979", "47", "PERIODISTA", "", kUpsert},
    {"979", "48", "PILOTO DE AERONAVES", "", kUpsert},
    {"979", "49", "PINTOR", "", kUpsert},
    {"979", "50", "PROFESOR", "", kUpsert},
    {"979", "51", "PSICOLOGO", "", kUpsert},
    {"979", "52", "RADIO TECNICO", "", kUpsert},
    {"979", "53", "REGIDORES DE MUNICIPALIDADES", "", kUpsert},
    {"979", "54", "RELACIONISTA PUBLICO E INDUSTRIAL", "", kUpsert},
    {"979", "55", "SASTRE", "", kUpsert},
    {"979", "56", "SOCIOLOGO", "", kUpsert},
    {"979", "57", "TAPICERO", "", kUpsert},
    {"979", "58", "TAXIDERMISTA, DISECADOR DE ANIMALES", "", kUpsert},
    {"979", "59", "VETERINARIO", "", kUpsert},
    {"979", "60", "PODOLOGO", "", kUpsert},
    {"979", "61", "ARCHIVERO", "", kUpsert},
    {"979", "62", "ALBACEA", "", kUpsert},
    {"979", "63", "GESTOR DE NEGOCIO", "", kUpsert},
    {"979", "64", "MANDATARIO", "", kUpsert},
    {"979", "65", "SINDICO", "", kUpsert},
    {"979", "99", "PROFESION U OCUPACION NO ESPECIFICADA", "", kUpsert},

    // "833": kinds of legal norm; "Ley " keeps its trailing blank.
    {"833", "1", "Ley ", "0", kUpsert},
    {"833", "2", "Decreto Ley", "0", kUpsert},
    {"833", "3", "Decreto Supremo", "0", kUpsert},
    {"833", "4", "Decreto Legislativo", "0", kUpsert},
    {"833", "5", "Decreto de Urgencia", "0", kUpsert},
    {"833", "9", "Otros", "0", kUpsert},

    // "233": kinds of voucher; 68 characters: description (46), then the fixed items.
    {"233", "02", "RECIBO POR HONORARIOS                         00100 0 1 HONO 0000001", "", kUpsert},
    {"233", "07", "NOTA DE CREDITO                               00001 1 1 CRED 1111011", "", kUpsert},
    {"233", "99", "OTROS                                         10100 0 0 OTRO 0111110", "", kUpsert},

    // "880": keyed by the form number: a digit and three dates.
    {"880", "0661", "1 20070601 20991231 20070301", "000", kUpsert},

    // "856": keyed by the form number: version, date and a number.
    {"856", "0661", "1.0 09/02/2009     790", "000", kUpsert},
};
// clang-format on

}  // namespace

std::span<const ParamSeedRow> paramSeedRows() { return kRows; }

}  // namespace installer
