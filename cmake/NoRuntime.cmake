# Builds a Windows program that links no C or C++ runtime: the linker enters it at
# ENTRY, a WINAPI function taking nothing that ends with ExitProcess, and the program
# imports from KERNEL32.dll alone unless it links more.

# No exceptions, unwind tables or stack checks, and no calls that the compiler would
# make to memset or memcpy on its own: nothing may need a runtime.
set(NO_RUNTIME_COMPILE_OPTIONS
  -Os -fno-ident -ffreestanding -fno-builtin -fno-exceptions -fno-rtti
  -fno-asynchronous-unwind-tables -fno-unwind-tables -fno-stack-protector
  -fno-tree-loop-distribute-patterns -mno-stack-arg-probe
  -Wall -Wextra -Werror)

function(no_runtime_program target entry)
  target_compile_options(${target} PRIVATE
                         $<$<COMPILE_LANGUAGE:CXX>:${NO_RUNTIME_COMPILE_OPTIONS}>)
  target_link_libraries(${target} PRIVATE kernel32)
  target_link_options(${target} PRIVATE
    -nostdlib -nostartfiles -s
    # The entry point's stdcall name: _Name@0.
    -Wl,-e,_${entry}@0
    -Wl,--subsystem,windows
    -Wl,--dynamicbase,--nxcompat
    # Reproducible: no link time in the headers.
    -Wl,--no-insert-timestamp)
endfunction()
