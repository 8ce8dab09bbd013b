/* A Modbus RTU slave (unit 1) on a serial device for testing the console's signal light.
 * Every request is checked: its CRC-16/MODBUS and its function code (only Write Single Coil,
 * 0x05, is expected). One line per request goes to the log, flushed at once:
 *   WRITE_COIL <address> ON|OFF|BAD_VALUE <hex bytes>
 *   BAD_FUNCTION <code> <hex bytes>
 *   BAD_CRC <hex bytes>            (when the bytes are available)
 *   BAD_FRAME <errno text>         (libmodbus refused the frame, e.g. a CRC error)
 * The slave answers like a real light (echo for coil writes, exceptions otherwise) and runs
 * until it is killed.
 * Usage: modbus-slave <device> <baud> <log file>
 */
#include <errno.h>
#include <modbus.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static uint16_t crc16_modbus(const uint8_t *bytes, int length) {
    uint16_t crc = 0xFFFF;
    for (int i = 0; i < length; ++i) {
        crc ^= bytes[i];
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? (uint16_t)((crc >> 1) ^ 0xA001) : (uint16_t)(crc >> 1);
    }
    return crc;
}

static void print_hex(FILE *log, const uint8_t *bytes, int length) {
    for (int i = 0; i < length; ++i) fprintf(log, i ? " %02X" : "%02X", bytes[i]);
}

int main(int argc, char **argv) {
    if (argc != 4) {
        fprintf(stderr, "usage: %s <device> <baud> <log file>\n", argv[0]);
        return 2;
    }
    FILE *log = fopen(argv[3], "w");
    if (!log) {
        perror(argv[3]);
        return 1;
    }
    modbus_t *ctx = modbus_new_rtu(argv[1], atoi(argv[2]), 'N', 8, 1);
    if (!ctx || modbus_set_slave(ctx, 1) != 0 || modbus_connect(ctx) != 0) {
        fprintf(stderr, "modbus-slave: cannot open %s: %s\n", argv[1], modbus_strerror(errno));
        return 1;
    }
    modbus_mapping_t *map = modbus_mapping_new(16, 0, 0, 0);
    if (!map) return 1;
    fprintf(log, "READY %s\n", argv[1]);
    fflush(log);

    uint8_t req[MODBUS_RTU_MAX_ADU_LENGTH];
    for (;;) {
        int rc = modbus_receive(ctx, req);
        if (rc == 0) continue; /* addressed to another unit */
        if (rc < 0) {
            if (errno == EMBBADCRC || errno == EMBBADDATA || errno == ETIMEDOUT || errno == EMBBADSLAVE) {
                fprintf(log, "BAD_FRAME %s\n", modbus_strerror(errno));
                fflush(log);
                modbus_flush(ctx);
                continue;
            }
            fprintf(log, "ERROR %s\n", modbus_strerror(errno));
            fflush(log);
            break;
        }
        if (rc < 4 || crc16_modbus(req, rc) != 0) {
            fputs("BAD_CRC ", log);
        } else if (req[1] != 0x05 || rc != 8) {
            fprintf(log, "BAD_FUNCTION 0x%02X ", req[1]);
        } else {
            const unsigned address = (unsigned)req[2] << 8 | req[3];
            const unsigned value = (unsigned)req[4] << 8 | req[5];
            fprintf(log, "WRITE_COIL %u %s ", address, value == 0xFF00 ? "ON" : value == 0 ? "OFF" : "BAD_VALUE");
        }
        print_hex(log, req, rc);
        fputc('\n', log);
        fflush(log);
        modbus_reply(ctx, req, rc, map);
    }
    modbus_mapping_free(map);
    modbus_close(ctx);
    modbus_free(ctx);
    fclose(log);
    return 1;
}
