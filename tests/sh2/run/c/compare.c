/* Routines compiled twice: by the SH cross compiler into an SH-2 program
 * that the interpreter runs, and by the host compiler into the test itself.
 * Both must compute the same words. Kept to what compiles to plain SH-2
 * code without library calls: shifts only by 1, 2, 8 or 16 (others become
 * the later dynamic-shift instructions), no division by a variable, no
 * floating point; the code is valid C and C++. */

/* CRC-32 of the words' bytes, low byte first (independent of the
 * machine's byte order). */
static unsigned int crc32_words(const unsigned int* p, int n) {
    unsigned int c = 0xFFFFFFFFu;
    for (int i = 0; i < n; i++) {
        unsigned int x = p[i];
        for (int b = 0; b < 4; b++) {
            c ^= x & 0xFFu;
            x >>= 8;
            for (int k = 0; k < 8; k++) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
        }
    }
    return ~c;
}

static void sort_words(int* v, int n) {
    for (int i = 1; i < n; i++) {
        int x = v[i];
        int j = i - 1;
        while (j >= 0 && v[j] > x) {
            v[j + 1] = v[j];
            j--;
        }
        v[j + 1] = x;
    }
}

/* Unsigned division by shift and subtract, one bit at a time. */
static unsigned int udiv(unsigned int a, unsigned int b, unsigned int* rem) {
    unsigned int q = 0, r = 0;
    for (int i = 0; i < 32; i++) {
        r = (r << 1) | (a >> 31);
        a <<= 1;
        q <<= 1;
        if (r >= b) {
            r -= b;
            q |= 1;
        }
    }
    *rem = r;
    return q;
}

/* out[] receives 64 words computed from the n input words. */
void cmp_run(const unsigned int* in, int n, unsigned int* out) {
    int sorted[32];
    unsigned long long acc = 0;
    unsigned long long sacc = 0; /* wraps like the machine's 64-bit sum */
    unsigned int mix = 0x9E3779B9u;
    int k = 0;

    for (int i = 0; i < 32; i++) sorted[i] = (int)in[i];
    sort_words(sorted, 32);
    out[k++] = crc32_words(in, n);

    for (int i = 0; i < n; i++) {
        unsigned int x = in[i];
        unsigned int y = in[(i + 7) & 31];
        short hs = (short)x;
        signed char sb = (signed char)(x >> 8);
        acc += (unsigned long long)x * y;
        sacc += (unsigned long long)((long long)(int)x * (int)y);
        sacc -= (unsigned long long)((long long)hs * (long long)sb);
        mix = ((mix << 1) | (mix >> 31)) ^ x;
        mix = ((mix << 16) | (mix >> 16)) + (x >> 8);
        mix += (unsigned int)((int)hs * 3 - sb);
        if ((int)x < (int)y) mix ^= 0x55AA55AAu;
        if (x > y) mix += 0x1234u;
    }
    out[k++] = (unsigned int)acc;
    out[k++] = (unsigned int)(acc >> 32);
    out[k++] = (unsigned int)sacc;
    out[k++] = (unsigned int)(sacc >> 32);
    out[k++] = mix;

    for (int i = 0; i < 8; i++) {
        unsigned int rem;
        unsigned int b = (in[i + 8] >> 16) | 1u;
        out[k++] = udiv(in[i], b, &rem);
        out[k++] = rem;
    }
    for (int i = 0; i < 8; i++) out[k++] = (unsigned int)sorted[i * 4];
    for (int i = 0; i < 8; i++) {
        int v = (int)in[i + 16];
        out[k++] = (unsigned int)(v / 10 + v % 7 - (v >> 1));
    }
    while (k < 64) {
        out[k] = out[k - 1] * 2654435761u + (out[k - 3] >> 16);
        k++;
    }
}
