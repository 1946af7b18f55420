# The table of arrows between modules (host modules and plug-in folders). Each module records its
# target, the folder its headers are included from, and the modules it names; the arrows.* tests
# are generated from this table.

# zeph_record_arrows(NAME TARGET INCLUDE_ROOT [module...])
function(zeph_record_arrows name target include_root)
  set_property(GLOBAL APPEND PROPERTY ZEPH_ARROW_MODULES ${name})
  set_property(GLOBAL PROPERTY ZEPH_ARROW_TARGET_${name} ${target})
  set_property(GLOBAL PROPERTY ZEPH_ARROW_HEADERS_${name} ${include_root})
  set_property(GLOBAL PROPERTY ZEPH_ARROW_DEPENDS_${name} ${ARGN})
endfunction()

# zeph_arrow_closure(OUT NAME): every module that NAME may use, directly or through another.
function(zeph_arrow_closure out name)
  set(reached)
  get_property(pending GLOBAL PROPERTY ZEPH_ARROW_DEPENDS_${name})
  while(pending)
    list(POP_FRONT pending module)
    if(NOT module IN_LIST reached)
      list(APPEND reached ${module})
      get_property(below GLOBAL PROPERTY ZEPH_ARROW_DEPENDS_${module})
      list(APPEND pending ${below})
    endif()
  endwhile()
  set(${out} ${reached} PARENT_SCOPE)
endfunction()
