#!/usr/bin/env python3
"""Writes the fuzzer's seed inputs into tests/fuzz/corpus (run it after changing a seed here).

An input is one selector byte, then the parser's bytes. The selector's low two bits pick the
parser: 0 a UTF-16 payload, 1 an ANSI payload, 2 a whole message to a source window, 3 the shared
block. For the block its upper bits are the reader's starting state: bits 2-3 the last hotkey code
(-1, 0, 5, 112), bit 4 a hotkey registered, bit 5 no settings element, bit 6 a host that registers
no hotkey. A message is a code byte (an index into the fuzzer's code table), a flags byte (bit 0
ANSI payload, bit 1 a record without settings, bit 2 ANSI decoding on before) and the payload.
"""
import os

HERE = os.path.dirname(os.path.abspath(__file__))
CORPUS = os.path.join(HERE, "corpus")

# The fuzzer's message code table, by index.
CODES = [1, 101, 102, 103, 200, 203, 0, 2, 100, 104, 199, 201, 202, 204, 1000, "ansi", "utf16",
         (1 << 32) | 1, (1 << 32) | 101]

CODE_5, CODE_0, CODE_112 = 2, 1, 3
REGISTERED, NO_SETTINGS, HOST_REFUSES = 4, 8, 16


def utf16(text):
    return text.encode("utf-16-le", "surrogatepass")


def block(text, state=0, raw=None):
    return bytes([3 | (state << 2)]) + (raw if raw is not None else utf16(text))


def utf16_payload(data):
    return bytes([0]) + data


def ansi_payload(data):
    return bytes([1]) + data


def message(code, payload=b"", ansi=False, no_settings=False, ansi_before=False):
    flags = (1 if ansi else 0) | (2 if no_settings else 0) | (4 if ansi_before else 0)
    return bytes([2, CODES.index(code), flags]) + payload


def text_payload(text, counted=True):
    return utf16(text) + (b"\0\0" if counted else b"")


EXAMPLE = "Set|宋体|42|-28672|100|-16777216|0|0|0|0|0|2|-16777216|100|0"


def with_hotkey(code):
    return EXAMPLE[: EXAMPLE.rindex("|") + 1] + str(code)


SEEDS = {
    # ---- the shared block
    "block_empty": block(""),
    "block_only_line_breaks": block("\r\n\n\r\r\n"),
    "block_set_alone": block("Set|"),
    "block_too_few_fields": block("Set|宋体|42|-28672"),
    "block_short_settings": block("Set|a|1|2"),
    "block_thirteen_fields": block("Set|a|1|2|3|4|5|6|7|8|9|10|11"),
    "block_fourteen_fields": block("Set|宋体|42|-28672|100|-16777216|0|0|0|0|0|2|-16777216|100"),
    "block_fifteen_fields": block(EXAMPLE),
    "block_fifteen_fields_trailing_bar": block(EXAMPLE + "|"),
    "block_settings_and_list": block(EXAMPLE + "|#2#\r\n第一首 - 歌手\r\nsecond song"),
    "block_double_bar_after_set": block("Set||宋体|42|-28672|100|-16777216|50|1|0|1|1|3|-16777216|80|0|#1#\r\nx"),
    "block_lower_case_set": block("set|a|b\r\nline"),
    "block_plain_list": block("#2#\r\nfirst\r\nsecond"),
    "block_plain_header_only": block("#0#"),
    "block_empty_lines": block(EXAMPLE + "|#3#\r\n\r\na\nb"),
    "block_text_part_only_breaks": block(EXAMPLE + "|\r\n\r\n"),
    "block_seventy_lines": block("#70#\r\n" + "".join("song %d\r\n" % i for i in range(1, 70))),
    "block_bars_in_text": block(EXAMPLE + "|#1#\r\nA|B||C|"),
    "block_many_text_pieces": block(EXAMPLE + "|#1#\r\n" + "|".join("abcdefghijklmn")),
    "block_hotkey_unchanged": block(with_hotkey(5), CODE_5 | REGISTERED),
    "block_hotkey_5_to_0": block(with_hotkey(0), CODE_5 | REGISTERED),
    "block_hotkey_0_to_5": block(with_hotkey(5), CODE_0),
    "block_hotkey_kept_after_destroy": block(with_hotkey(112), CODE_112),
    "block_hotkey_host_refuses": block(with_hotkey(9), HOST_REFUSES),
    "block_no_settings_element": block(with_hotkey(7) + "|#1#\r\nx", NO_SETTINGS | CODE_5 | REGISTERED),
    "block_unsigned_colour": block("Set|f|42|4278190080|100|-16777216|0|0|0|0|0|2|-16777216|100|0"),
    "block_out_of_range": block("Set|f|99999999999999999999|-2147483649|2147483647|-2147483648|+|-|abc|0x10|7px|"
                                "  +7|\t-3|1|5"),
    "block_hotkey_in_line_break": block(with_hotkey(5) + "\r\n#1#\r\nsong"),
    "block_short_settings_line_break": block("Set|a|b\r\n#1#\r\nsong"),
    "block_white_space_before_numbers": block("Set|f|\n42|\v-3|\f7| 1|\t2|\r3|\r\n4|5|6|7|8|9|10|\n112|#1#\r\nx"),
    # hostile
    "block_no_nul": block("", raw=("abc|\r\n" * 400).encode("utf-16-le")[:2048]),
    "block_only_bars": block("|" * 1023),
    "block_set_then_only_bars": block("Set|" + "|" * 1019),
    "block_thousands_of_bars_in_text": block(EXAMPLE + "|#1#\r\n" + "x|" * 490),
    "block_thousand_lines": block("a\n" * 511),
    "block_lone_surrogates": block("#1#\n\ud800x\udfff"),
    "block_lone_surrogate_font": block("Set|\udc00\ud800|42|0|100|0|0|0|0|0|0|2|0|100|0|#1#\r\n\ud83d"),
    "block_settings_split_by_breaks": block("Set|宋体\r\n|42|\n-28672|100\r|-16777216|0\n\n|0|0|0|0|2|-16777216|"
                                            "100|0\r\n|#1#\r\nsong"),
    "block_beyond_1023_units": block("#1#\n" + "b" * 1019 + "c\nd"),
    # ---- UTF-16 payloads: the sender's count decides
    "utf16_abc_counted": utf16_payload(text_payload("abc")),
    "utf16_abc_uncounted": utf16_payload(text_payload("abc", counted=False)),
    "utf16_count_0": utf16_payload(b""),
    "utf16_count_1": utf16_payload(b"a"),
    "utf16_count_2": utf16_payload(utf16("a")),
    "utf16_odd_count": utf16_payload(utf16("abc") + b"d"),
    "utf16_chinese": utf16_payload(text_payload("第一首 - 歌手")),
    "utf16_key_value": utf16_payload(text_payload("fontSize|48")),
    "utf16_lone_surrogates": utf16_payload(utf16("\udc00a|\ud800")),
    "utf16_nul_inside": utf16_payload(utf16("ab") + b"\0\0" + utf16("cd")),
    # ---- ANSI payloads
    "ansi_key_value": ansi_payload(b"color|255\0"),
    "ansi_unterminated": ansi_payload(b"fontSize|9"),
    "ansi_empty": ansi_payload(b"\0abc"),
    "ansi_invalid_utf8": ansi_payload(b"\xff\xc0\x80|\xe4\xb8\0"),
    # ---- whole messages to a source window
    "copydata_text": message(1, text_payload("第一首\r\n第二首")),
    "copydata_text_no_settings": message(1, text_payload("pushed"), no_settings=True),
    "copydata_set_int": message(101, text_payload("fontSize|48")),
    "copydata_set_int_empty_value": message(101, text_payload("fontSize|")),
    "copydata_set_int_empty_key": message(101, text_payload("|48")),
    "copydata_set_int_no_bar": message(101, text_payload("fontSize")),
    "copydata_set_int_white_space": message(101, text_payload("fontSize|\n\v\f 48px")),
    "copydata_set_int_no_settings": message(101, text_payload("fontSize|48"), no_settings=True),
    "copydata_set_string_bars": message(102, text_payload("a|b|c")),
    "copydata_set_color": message(103, text_payload("color|255")),
    "copydata_set_color_ansi": message(103, b"color|-1\0", ansi=True),
    "copydata_set_color_clamped": message(103, text_payload("color|4278190080")),
    "copydata_log": message(200, text_payload("50% done %s\r\n")),
    "copydata_log_empty": message(200, b""),
    "copydata_random_colour": message(203, text_payload("255")),
    "copydata_random_colour_empty": message(203, b"\0\0"),
    "copydata_code_0": message(0, text_payload("fontSize|48")),
    "copydata_code_2": message(2, text_payload("fontSize|48")),
    "copydata_code_100": message(100, text_payload("fontSize|48")),
    "copydata_code_104": message(104, text_payload("fontSize|48")),
    "copydata_code_199": message(199, text_payload("fontSize|48")),
    "copydata_code_201": message(201, text_payload("x")),
    "copydata_code_202": message(202, text_payload("x")),
    "copydata_code_204": message(204, text_payload("1")),
    "copydata_code_high_bits": message((1 << 32) | 101, text_payload("fontSize|48")),
    "copydata_ansi_switch": message("ansi"),
    "copydata_utf16_switch": message("utf16", ansi_before=True),
    "copydata_utf16_switch_no_settings": message("utf16", no_settings=True, ansi_before=True),
    "copydata_unterminated_odd": message(102, utf16("font|宋") + b"x"),
}


def main():
    os.makedirs(CORPUS, exist_ok=True)
    for name in os.listdir(CORPUS):
        if name not in SEEDS:
            print("not written here (left as it is):", name)
    for name, data in SEEDS.items():
        with open(os.path.join(CORPUS, name), "wb") as f:
            f.write(data)
    print("%d seeds in %s" % (len(SEEDS), CORPUS))


if __name__ == "__main__":
    main()
