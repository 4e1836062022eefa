import sys, threading
sys.setrecursionlimit(300000)
threading.stack_size(1 << 29)
def down(n):
    if n == 0:
        return 0
    return 1 + down(n - 1)
def main():
    print(down(100000))
t = threading.Thread(target=main)
t.start()
t.join()
